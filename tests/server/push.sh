#!/bin/bash
# Checks the site served the instant way, from the deployment files, against real nginx with
# nchan and PHP-FPM on loopback ports:
#   push.sh          one site on SQLite: the events stream from a stranger's and an operator's
#                    side, the Link header (and its absence under php -S), a publication to a
#                    push engine that is down, the longest result through the request line,
#                    an access log without queries, and the pool's own user;
#   push.sh cluster  two sites sharing one Redis and one PostgreSQL: a request posted through
#                    one reaches a subscriber of the other.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
form=${1:-single}
source "$here/pushsite.sh"
source "$here/site.sh"
source "$here/postgres.sh"

for tool in nginx curl php; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 1; }
done

tmp=$(mktemp -d /tmp/vorlan-push-test.XXXXXX)
chmod 755 "$tmp"
subscribers=()
cleanup() {
    local pid
    for pid in "${subscribers[@]}"; do kill "$pid" 2>/dev/null; done
    pushsite_stop_all
    site_stop
    pg_stop
    if [ -n "${ARTIFACT_DIR:-}" ]; then
        mkdir -p "$ARTIFACT_DIR/push_$form" && cp -r "$tmp"/*/logs "$ARTIFACT_DIR/push_$form/" 2>/dev/null
    fi
    [ -n "${PUSH_KEEP:-}" ] && echo "kept $tmp" || rm -rf "$tmp"
}
trap cleanup EXIT

failures=0
check() {
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

operator='{0f8fad5b-d9cb-469f-a165-70867728950e}'
export VORLAN_SITE_PASSWORD='the owner chose this'

# Sends the fields in the address and in the body, as the client does; prints the answer.
client_post() {
    local url=$1 fields
    shift
    fields=$(php -r 'parse_str(implode("&", array_slice($argv, 1)), $f); echo http_build_query($f, "", "&", PHP_QUERY_RFC3986);' \
        -- "$@")
    curl -s "$url?$fields" --data "$fields"
}

register() {
    client_post "$1/vorlan/reg.php" "pass=$(php -r 'echo rawurlencode($argv[1]);' -- "$VORLAN_SITE_PASSWORD")" \
        "opID=$2" "opName=desk" "apiVer=1"
}

# Subscribes in the background as the client does; the stream goes to <file>.
subscribe() {
    local url=$1 file=$2
    shift 2
    curl -sN -D "$file.headers" -H 'Accept: text/event-stream' "$@" "$url" >"$file" &
    subscribers+=($!)
}

# Waits up to 10 s for [count, 1 by default] lines of <file> that match <pattern> (grep -E).
arrives() {
    local file=$1 pattern=$2 count=${3:-1} attempt
    for attempt in $(seq 1 200); do
        [ "$(grep -cE "$pattern" "$file" 2>/dev/null)" -ge "$count" ] && return 0
        sleep 0.05
    done
    echo "  no line matching $pattern in:"
    sed 's/^/    /' "$file"
    return 1
}

status_of() {
    curl -s -o /dev/null -w '%{http_code}' -H 'Accept: text/event-stream' -m 5 "$@"
}

subscribed() {
    arrives "$1.headers" '^Content-Type: text/event-stream'
}

visitor_posts() {
    curl -s -o /dev/null -w '%{http_code}' "$1/" --data-urlencode "name=$2" --data-urlencode 'phone=+7 900 000-00-00' \
        | grep -qx 303
}

single_site() {
    pushsite_start "$tmp/site" || exit 1
    register "$SITE_URL" "$operator" >/dev/null

    check "a stranger without a token is refused" \
        grep -qE '^40[13]$' <<<"$(status_of "$EVENTS_URL")"
    check "an unregistered operator identifier is refused" \
        grep -qx 403 <<<"$(status_of -H 'Authorization: Bearer {00000000-0000-4000-8000-000000000000}' "$EVENTS_URL")"

    subscribe "$EVENTS_URL" "$tmp/stream" -H "Authorization: Bearer $operator"
    check "a registered workplace is subscribed" subscribed "$tmp/stream"
    check "the visitor's request is stored" visitor_posts "$SITE_URL" 'Ольга'
    check "it arrives as new, with the members of a listed call" \
        arrives "$tmp/stream" '^data: \{"new":\[\{"id":"1","create_date":"[0-9: -]+","name":"Ольга","phone":"\+7 900 000-00-00","status":"new"\}\]\}$'
    check "messages carry an id" arrives "$tmp/stream" '^id: [0-9]+'
    check "taking it is accepted" \
        grep -q '"result":"0"' <<<"$(client_post "$SITE_URL/vorlan/set.php" action=process "operator=$operator" id=1 apiVer=1)"
    check "the take arrives as gone" arrives "$tmp/stream" '^data: \{"gone":\["1"\]\}$'
    local first_id
    first_id=$(sed -n 's/^id: //p' "$tmp/stream" | head -n 1)
    subscribe "$EVENTS_URL" "$tmp/resumed" -H "Authorization: Bearer $operator" -H "Last-Event-ID: $first_id"
    check "a stream reopened with Last-Event-ID gets what came after" \
        arrives "$tmp/resumed" '^data: \{"gone":\["1"\]\}$'
    check "and nothing before it" bash -c '! grep -q "\"new\"" "$1"' _ "$tmp/resumed"

    local other='{1b4e28ba-2fa1-41d2-883f-0016d3cca427}'
    register "$SITE_URL" "$other" >/dev/null
    visitor_posts "$SITE_URL" 'Анна'
    client_post "$SITE_URL/vorlan/set.php" action=process "operator=$other" id=2 apiVer=1 >/dev/null
    pushsite_tool workplaces.php remove "$other" >/dev/null
    check "a removed workplace's call in progress arrives as new again" \
        arrives "$tmp/stream" '^data: \{"new":\[\{"id":"2",.*"name":"Анна".*\}\]\}$' 2

    check "get.php names the events address" \
        grep -qiF "Link: <$EVENTS_URL>; rel=\"vorlan-events\"" <<<"$(curl -si "$SITE_URL/vorlan/get.php" -d type=2 -d operator=x -d apiVer=1)"

    long_close
    private_access_log
    own_pool_user
    publication_without_engine
    no_channel_under_php_s
}

# The longest result the site accepts, sent in the address as well, closes the call.
long_close() {
    local kind comment id answer
    for kind in Cyrillic 4-byte; do
        if [ "$kind" = Cyrillic ]; then
            comment=$(php -r 'echo str_repeat("Перезвонили, всё хорошо. ", 400);')
        else
            comment=$(php -r 'echo str_repeat("😀", 10000);')
        fi
        id=$(pushsite_tool add-call.php "Long $kind" "+7 900 000-00-01")
        client_post "$SITE_URL/vorlan/set.php" action=process "operator=$operator" "id=$id" apiVer=1 >/dev/null
        answer=$(client_post "$SITE_URL/vorlan/set.php" action=close "operator=$operator" "id=$id" \
            "comment=$(php -r 'echo rawurlencode($argv[1]);' -- "$comment")" apiVer=1)
        check "a 10,000-character $kind result closes the call through nginx" \
            grep -q '"result":0' <<<"$answer"
        check "and is stored as sent" \
            test "$(pushsite_tool show-call.php "$id" | php -r 'echo json_decode(stream_get_contents(STDIN))->comment;')" = "$comment"
    done
}

private_access_log() {
    check "the access log has a line per request" grep -q 'POST /vorlan/reg.php' "$SITE_LOG"
    check "the access log holds no query, operator identifier or password" \
        bash -c '! grep -qE "\?|operator=|0f8fad5b|owner" "$1"' _ "$SITE_LOG"
}

own_pool_user() {
    [ "$(id -u)" = 0 ] || return 0
    check "the database folder is the pool user's alone" test "$(stat -c '%U %a' "$tmp/site/data")" = "vorlan 700"
    check "the pool's workers run as that user" \
        bash -c '[ -z "$(ps -o user= --ppid "$(cat "$1")" | grep -vx vorlan)" ]' _ "$tmp/site/run/fpm.pid"
}

# A push engine that refuses, or accepts and never answers: the request is stored at once.
publication_without_engine() {
    local silent_port held engine
    # Accepts connections (the kernel does, into its backlog) and never answers.
    php -r '$s = stream_socket_server("tcp://127.0.0.1:0"); file_put_contents($argv[1], explode(":", stream_socket_get_name($s, false))[1]); sleep(30);' \
        -- "$tmp/silent.port" &
    held=$!
    arrives "$tmp/silent.port" '^[0-9]+$' >/dev/null
    silent_port=$(cat "$tmp/silent.port")
    for engine in "http://127.0.0.1:1/vorlan-publish" "http://127.0.0.1:$silent_port/vorlan-publish"; do
        check "a request is stored when the push engine at $engine does not answer" \
            timeout 5 bash -c 'source "$1"; pushsite_tool "VORLAN_PUBLISH_URL=$2" add-call.php Anna "+7 900 000-00-02"' \
            _ "$here/pushsite.sh" "$engine" >/dev/null 2>&1
    done
    kill "$held" 2>/dev/null
}

no_channel_under_php_s() {
    site_start "$tmp/plain.sqlite" "$tmp/plain.log" || exit 1
    check "php -S names no events address" \
        bash -c '! curl -si "$1/vorlan/get.php" -d type=2 -d operator=x -d apiVer=1 | grep -qi "^Link:"' _ "$SITE_URL"
    check "php -S stores a visitor's request" visitor_posts "$SITE_URL" Anna
}

cluster() {
    pg_start || exit 1
    pushsite_redis_start "$tmp/redis" || exit 1
    pushsite_start "$tmp/one" || exit 1
    local one=$SITE_URL
    pushsite_start "$tmp/two" || exit 1
    register "$one" "$operator" >/dev/null
    subscribe "$EVENTS_URL" "$tmp/stream" -H "Authorization: Bearer $operator"
    check "the operator registered through one site subscribes through the other" subscribed "$tmp/stream"
    check "a visitor's request posted through the first site is stored" visitor_posts "$one" Boris
    check "it reaches the subscriber of the second" arrives "$tmp/stream" '^data: \{"new":\[\{"id":"1",.*"name":"Boris"'
}

case $form in
    single) single_site ;;
    cluster) cluster ;;
    *) echo "usage: $0 [single|cluster]"; exit 2 ;;
esac
echo "$failures failed"
[ "$failures" = 0 ]
