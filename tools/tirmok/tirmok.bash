# bash completion for tirmok: commands, options and format names.
_tirmok() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]} cword=$COMP_CWORD
  local words=("${COMP_WORDS[@]}")
  # Bash splits --from=UTF-8 at the '=' (it is in COMP_WORDBREAKS): the value
  # is completed as the option's own.
  if [[ $cur == = ]]; then
    prev=${words[cword - 1]}
    cur=
  elif [[ $prev == = && $cword -ge 2 ]]; then
    prev=${words[cword - 2]}
  fi
  local formats="UNICODE UTF-8 ISO15919 ISO15919_UTF_8 ISO15919_ANSI TELTRANS LPXKBD INSCRIPT ANSI COLLCODE LPXCODE BRAILLE BRAILLE_UNICODE"
  local properties="LPX_KEY_NEMETH= LPX_KEY_SUBSCRIPT= LPX_KEY_SUPERSCRIPT= LPX_KEY_LANGUAGE="
  if [[ $cword -eq 1 ]]; then
    COMPREPLY=($(compgen -W "convert sort compare date formats help --help --version -h -V" -- "$cur"))
    return
  fi
  local command=${words[1]}
  case $prev in
    -o | --output)
      # convert -r writes into a folder.
      if [[ $command == convert && " ${words[*]} " == *" -r "* || " ${words[*]} " == *" --recursive "* ]]; then
        COMPREPLY=($(compgen -d -- "$cur"))
        return
      fi
      ;;
  esac
  case $prev in
    -f | --from | -t | --to | --format)
      COMPREPLY=($(compgen -W "$formats" -- "${cur^^}"))
      return
      ;;
    -s | --set)
      COMPREPLY=($(compgen -W "$properties" -- "${cur^^}"))
      compopt -o nospace 2>/dev/null
      return
      ;;
    LPX_KEY_LANGUAGE)
      COMPREPLY=($(compgen -W "BENGALI ASSAMESE MARATHI" -- "${cur^^}"))
      return
      ;;
    LPX_KEY_*)
      COMPREPLY=($(compgen -W "TRUE FALSE" -- "${cur^^}"))
      return
      ;;
    --utf16)
      COMPREPLY=($(compgen -W "le be" -- "$cur"))
      return
      ;;
    -o | --output)
      COMPREPLY=($(compgen -f -- "$cur"))
      return
      ;;
    -T | --temporary-directory)
      COMPREPLY=($(compgen -d -- "$cur"))
      return
      ;;
    -r | --recursive)
      # convert's folder; for sort, -r (reverse) takes no value.
      if [[ $command == convert ]]; then
        COMPREPLY=($(compgen -d -- "$cur"))
        return
      fi
      ;;
    -j | --jobs | -S | --buffer-size)
      return
      ;;
  esac
  local options="-h --help -V --version"
  case $command in
    convert) options+=" -f --from -t --to -s --set -o --output --utf16 --utf16=le --utf16=be --strict --bom -r --recursive -j --jobs" ;;
    sort) options+=" --format -o --output -r --reverse -u --unique -S --buffer-size -T --temporary-directory" ;;
    compare) options+=" --format" ;;
    date) options+=" --to-english" ;;
  esac
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
  elif [[ $command == convert || $command == sort ]]; then
    COMPREPLY=($(compgen -f -- "$cur"))
  fi
}
complete -F _tirmok tirmok
