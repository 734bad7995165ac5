# qzpaths.bash - bash completion for qzpaths: subcommands, options, --color choices and
# published keys (asked of the qzpaths being completed, with `qzpaths keys`).

# The published keys are the same for every home, found or not; when no CORVAN_HOME is
# set, a home that need not exist stands in, so that the keys come even where qzpaths
# finds no installation.
_qzpaths_keys()
{
    CORVAN_HOME=${CORVAN_HOME:-/nonexistent} "$1" keys 2>/dev/null
}

# The value names below the base key that the registry (or its stand-in file) holds.
_qzpaths_registry_names()
{
    "$1" registry list 2>/dev/null | awk 'NR > 1 && /^  [^ ]/ && $1 != "no" { print $1 }'
}

_qzpaths()
{
    local cur prev words cword split
    _init_completion -s || return

    local program=${words[0]/#\~/$HOME}
    local global="--name --app-version --patch --exe --json --color --help --version"
    local subcommand="" action="" requiring="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            -n | --name | --app-version | -p | --patch | -e | --exe | --color | --from | --pid | --file | --type) ((i++)) ;;
            --require) requiring=yes ;;
            -*) requiring="" ;;
            *)
                if [[ -z $subcommand ]]; then
                    subcommand=${words[i]}
                elif [[ $subcommand == registry && -z $action ]]; then
                    action=${words[i]}
                fi
                ;;
        esac
    done

    case $prev in
        --color)
            COMPREPLY=($(compgen -W "auto always never" -- "$cur"))
            return
            ;;
        --type)
            COMPREPLY=($(compgen -W "sz expand_sz multi_sz dword" -- "$cur"))
            return
            ;;
        -e | --exe | --from | --file)
            _filedir
            return
            ;;
        -n | --name | --app-version | -p | --patch | --pid)
            return
            ;;
    esac
    $split && return

    local options="" words_here=""
    case $subcommand in
        "")
            options=$global
            words_here="get keys dump check explain sysvar config registry"
            ;;
        get)
            options="--shell -0 --null $global"
            words_here=$(_qzpaths_keys "$program")
            ;;
        keys) options="--values $global" ;;
        explain) options="--verbose --from --pid $global" ;;
        check)
            options="--require --missing $global"
            [[ $prev == --require || -n $requiring ]] && words_here=$(_qzpaths_keys "$program")
            ;;
        sysvar)
            options=$global
            words_here="$(compgen -e) $(_qzpaths_registry_names "$program")"
            ;;
        registry)
            case $action in
                "") words_here="list lint set unset" ;;
                list) options="--all --file $global" ;;
                lint) [[ $cur != -* ]] && _filedir ;;
                set | unset)
                    options="--file $global"
                    [[ $action == set ]] && options="--type $options"
                    words_here=$(_qzpaths_registry_names "$program")
                    ;;
            esac
            ;;
        config)
            options=$global
            [[ $cur != -* ]] && _filedir
            ;;
        *) options=$global ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    elif [[ -n $words_here ]]; then
        COMPREPLY+=($(compgen -W "$words_here" -- "$cur"))
    fi
}
complete -F _qzpaths qzpaths qzpaths.exe
