# What the throwaway database servers of postgres.sh and mariadb.sh share; meant to be sourced.
#
#   db_server_as <command...>
#       runs the command as the unprivileged user DB_SERVER_USER (default nobody) when run as
#       root, since the servers refuse to run as root; otherwise as the caller.
#   db_server_folder <name>
#       prints a new folder in /tmp, owned by that user.
#   db_server_password
#       prints a new random password.

db_server_as() {
    if [ "$(id -u)" = 0 ]; then
        runuser -u "${DB_SERVER_USER:-nobody}" -- "$@"
    else
        "$@"
    fi
}

db_server_folder() {
    local folder
    # Not TMPDIR: it may lie below a folder that user cannot enter.
    folder=$(mktemp -d "/tmp/vorlan-$1.XXXXXX") || return 1
    if [ "$(id -u)" = 0 ]; then chown "${DB_SERVER_USER:-nobody}" "$folder" || return 1; fi
    echo "$folder"
}

db_server_password() {
    head -c 12 /dev/urandom | od -An -tx1 | tr -d ' \n'
}
