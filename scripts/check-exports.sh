#!/usr/bin/env bash
# Checks what the shared library exports and uses: only the public functions are visible, and the library never
# prints to the standard streams of C++ or aborts the host on its own.
set -euo pipefail
lib=$1
allowed='^(Lpx(Convert|Compare|DateConvert|SetProperty)|Dll(GetClassObject|CanUnloadNow|RegisterServer|UnregisterServer)|Sys(AllocString|AllocStringLen|FreeString|StringLen)|SetErrorInfo|GetErrorInfo|Variant(Init|Clear)|Tirmok[A-Za-z]*)$'
exported=$(nm -D --defined-only "$lib" | awk '$2 ~ /^[TWDBRVu]$/ {print $3}' | sed 's/@.*//' | sort -u)
unexpected=$(grep -vE "$allowed" <<<"$exported" || true)
if [ -n "$unexpected" ]; then
  echo "unexpected exported symbols:"; echo "$unexpected"; exit 1
fi
used=$(nm -D --undefined-only "$lib" | awk '{print $2}' | sed 's/@.*//')
forbidden=$(grep -E '^(abort|exit|_exit|printf|puts|perror|_ZSt4cerr|_ZSt4cout|_ZSt4clog)$' <<<"$used" || true)
if [ -n "$forbidden" ]; then
  echo "the library must not use:"; echo "$forbidden"; exit 1
fi
echo "exports: $(wc -l <<<"$exported") public symbols, nothing else"
