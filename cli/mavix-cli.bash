# bash completion for mavix-cli

_mavix_cli()
{
    local cur prev words cword
    _init_completion || return

    case $prev in
        --security)
            COMPREPLY=($(compgen -W 'none stls tls' -- "$cur"))
            return
            ;;
        --server)
            _known_hosts_real -- "$cur"
            return
            ;;
        --auth)
            COMPREPLY=($(compgen -W 'auto user apop plain login cram-md5 scram-sha-1 scram-sha-256 xoauth2 oauthbearer' -- "$cur"))
            return
            ;;
        --token-command)
            COMPREPLY=($(compgen -c -- "$cur"))
            return
            ;;
        --account)
            # Names may hold blanks: each is offered quoted as the shell
            # needs it, and matched against the word as typed unquoted.
            local IFS=$'\n' name typed=${cur//\\/}
            typed=${typed#[\"\']}
            COMPREPLY=()
            for name in $(mavix-cli accounts --tsv 2>/dev/null | cut -f1); do
                [[ $name == "$typed"* ]] && COMPREPLY+=("$(printf '%q' "$name")")
            done
            return
            ;;
        --port | --user | --rows | --tls-fingerprint | --lines)
            return
            ;;
    esac

    if [[ $cword -eq 1 ]]; then
        COMPREPLY=($(compgen -W 'scan purge show log accounts authorize --help --version' -- "$cur"))
        return
    fi

    local account='--account --server --port --user --security --tls-fingerprint --auth --token-command'
    case ${words[1]} in
        scan) COMPREPLY=($(compgen -W "--tsv --raw --no-cache --all-accounts $account --help" -- "$cur")) ;;
        purge)
            COMPREPLY=($(compgen -W "--suspects --all --rows --tsv --raw --no-cache --all-accounts $account --help" \
                -- "$cur"))
            ;;
        show) [[ $cword -gt 2 ]] && COMPREPLY=($(compgen -W "--lines $account --help" -- "$cur")) ;;
        log) COMPREPLY=($(compgen -W '--tsv --account --help' -- "$cur")) ;;
        accounts) COMPREPLY=($(compgen -W '--tsv --help' -- "$cur")) ;;
        authorize) COMPREPLY=($(compgen -W '--account --server --user --help' -- "$cur")) ;;
    esac
} &&
    complete -F _mavix_cli mavix-cli
