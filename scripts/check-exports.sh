#!/usr/bin/env bash
# Checks what the shared library exports and uses: only the public functions are visible, all of them under the
# version node TIRMOK_0 (cmake/tirmok.map), the C++ API whole, and the library never
# prints to the standard streams of C++ or aborts the host on its own.
set -euo pipefail
lib=$1
# C names, and the functions of the C++ API (tirmok/tirmok.hpp), demangled.
cpp_api='parse_format|format_name|is_wide|can_read|can_write|can_compare|convert|convert_u16|compare|sort_key|date_to_telugu|date_to_english'
# The Windows-shaped helpers of the automation layer are exported only with the
# library's prefix (TirmokSysAllocString ...); the four Dll* component exports
# alone keep the names hosts look up.
allowed='^(Lpx(Convert|Compare|DateConvert|SetProperty)|Dll(GetClassObject|CanUnloadNow|RegisterServer|UnregisterServer)|Tirmok[A-Za-z]*|tirmok::('"$cpp_api"')(\[abi:cxx11\])?\(.*)$'
versioned=$(nm -D --defined-only "$lib" | awk '$2 ~ /^[TWDBRVu]$/ {print $3}' | sort -u)
exported=$(sed 's/@.*//' <<<"$versioned" | c++filt | sort -u)
unprefixed=$(grep -E '^(Sys[A-Za-z]*|Variant[A-Za-z]*|SetErrorInfo|GetErrorInfo|Reg[A-Za-z]*)$' <<<"$exported" || true)
if [ -n "$unprefixed" ]; then
  echo "Windows-shaped helpers exported without the prefix Tirmok:"; echo "$unprefixed"; exit 1
fi
unexpected=$(grep -vE "$allowed" <<<"$exported" || true)
if [ -n "$unexpected" ]; then
  echo "unexpected exported symbols:"; echo "$unexpected"; exit 1
fi
# Every public symbol carries the library's version node.
unversioned=$(grep -v '@@TIRMOK_0$' <<<"$versioned" || true)
if [ -n "$unversioned" ]; then
  echo "symbols without the version TIRMOK_0:"; echo "$unversioned"; exit 1
fi
# The whole C++ API is there: every overload the header declares.
cpp_count=$(grep -cE '^tirmok::' <<<"$exported" || true)
if [ "$cpp_count" -ne 16 ]; then
  echo "the C++ API should export 16 functions, found $cpp_count:"; grep -E '^tirmok::' <<<"$exported"; exit 1
fi
used=$(nm -D --undefined-only "$lib" | awk '{print $2}' | sed 's/@.*//')
forbidden=$(grep -E '^(abort|exit|_exit|printf|puts|perror|_ZSt4cerr|_ZSt4cout|_ZSt4clog)$' <<<"$used" || true)
if [ -n "$forbidden" ]; then
  echo "the library must not use:"; echo "$forbidden"; exit 1
fi
echo "exports: $(wc -l <<<"$exported") public symbols, nothing else"
