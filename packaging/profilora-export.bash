# bash completion for profilora-export: its options, the values of --view,
# --period and --series, directories after --png, files elsewhere.

_profilora_export()
{
    local cur prev words cword split
    _init_completion -s || return

    case $prev in
        --view)
            COMPREPLY=($(compgen -W 'altitude skewt hodograph' -- "$cur"))
            return
            ;;
        --period)
            COMPREPLY=($(compgen -W 'por y2d' -- "$cur"))
            return
            ;;
        --series)
            # A comma-separated list: the items before the last comma stay.
            local done=${cur%"${cur##*,}"}
            COMPREPLY=($(compgen -P "$done" -W 'standard dalr elr salr dewpoint winddirection windspeed points
                markers' -- "${cur##*,}"))
            compopt -o nospace
            return
            ;;
        --png)
            _filedir -d
            return
            ;;
        --settings)
            _filedir ini
            return
            ;;
        --csv | --gif | --section | --levels | --indices)
            _filedir
            return
            ;;
        --station | --size | --from | --to | --ms | --from-date | --to-date)
            return
            ;;
    esac
    $split && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--csv --png --gif --ms --section --levels --indices --strict --from-date
            --to-date --station --period --offline --clear-cache --settings --series --size --view --from --to --help
            --version' -- "$cur"))
        return
    fi
    _filedir
}
complete -F _profilora_export profilora-export
