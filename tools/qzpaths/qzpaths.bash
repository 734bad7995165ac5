# qzpaths.bash - bash completion for qzpaths: subcommands, options, --color choices and
# published keys (asked of the qzpaths being completed, with `qzpaths keys`).

# The published keys are the same for every home, found or not; when no CORVAN_HOME is
# set, a home that need not exist stands in, so that the keys come even where qzpaths
# finds no installation.
_qzpaths_keys()
{
    CORVAN_HOME=${CORVAN_HOME:-/nonexistent} "$1" keys 2>/dev/null
}

_qzpaths()
{
    local cur prev words cword split
    _init_completion -s || return

    local program=${words[0]/#\~/$HOME}
    local global="--name --app-version --patch --exe --json --color --help --version"
    local subcommand="" requiring="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            -n | --name | --app-version | -p | --patch | -e | --exe | --color | --from | --pid) ((i++)) ;;
            --require) requiring=yes ;;
            -*) requiring="" ;;
            *) [[ -z $subcommand ]] && subcommand=${words[i]} ;;
        esac
    done

    case $prev in
        --color)
            COMPREPLY=($(compgen -W "auto always never" -- "$cur"))
            return
            ;;
        -e | --exe | --from)
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
            words_here="get keys dump check explain sysvar config"
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
            words_here=$(compgen -e)
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
