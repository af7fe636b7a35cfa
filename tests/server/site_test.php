<?php
// Tests of the reference site over HTTP, run by run.sh against real `php -S` servers.
// Environment: SITE_URL, SITE_LOG and VORLAN_DB (or VORLAN_DSN, VORLAN_DB_USER and
// VORLAN_DB_PASSWORD) of a working site whose owner set VORLAN_SITE_PASSWORD, served by
// several processes; BROKEN_SITE_URL and BROKEN_SITE_LOG of a site (served without the
// router) whose database cannot be reached; EXPOSED_SITE_URL, EXPOSED_SITE_DB and
// EXPOSED_SITE_LOG of a copy of the site with its SQLite database below its web root and
// no password chosen.
// Requests come from 127.0.0.1 unless a case needs an address of its own (any 127.x.y.z).

const OP_A = '{0f8fad5b-d9cb-469f-a165-70867728950e}';
const OP_B = '{7c9e6679-7425-40de-944b-e07fc1f90ae7}';
const OP_FLOW = '{16fd2706-8baf-433b-82eb-8c7fada847da}';
const OP_UNKNOWN = '{abcdef00-0000-4000-8000-00000000000a}';
const PHONE = '+7 900 000-00-00';

$passed = 0;
$failed = 0;

function check(bool $ok, string $case, string $detail = ''): void
{
    global $passed, $failed;
    if ($ok) {
        ++$passed;
        return;
    }
    ++$failed;
    echo "FAIL: $case" . ($detail === '' ? '' : "\n      $detail") . "\n";
}

function same(mixed $expected, mixed $actual, string $case): void
{
    check($expected === $actual, $case, 'expected ' . var_export($expected, true) . ', got ' . var_export($actual, true));
}

function env(string $name): string
{
    $value = getenv($name);
    if (!is_string($value) || $value === '') {
        fwrite(STDERR, "site_test: $name is not set; run tests/server/run.sh\n");
        exit(2);
    }
    return $value;
}

// A socket's local address on any free port; IPv6 addresses go in brackets.
function bindAddress(string $from): string
{
    return (str_contains($from, ':') ? "[$from]" : $from) . ':0';
}

/** @return array{status: int, headers: array<string, string>, body: string} */
function http(string $base, string $method, string $path, array $body = [], array $query = [],
    string $from = '127.0.0.1', array $headers = []): array
{
    $url = $base . $path . ($query === [] ? '' : '?' . http_build_query($query, '', '&', PHP_QUERY_RFC3986));
    $context = stream_context_create(['http' => [
        'method' => $method,
        'header' => "Content-Type: application/x-www-form-urlencoded\r\n" . implode('', array_map(
            static fn (string $name, string $value): string => "$name: $value\r\n", array_keys($headers), $headers)),
        'content' => http_build_query($body, '', '&', PHP_QUERY_RFC3986),
        'ignore_errors' => true,
        'follow_location' => 0,
        'timeout' => 10,
    ], 'socket' => ['bindto' => bindAddress($from)]]);
    $text = file_get_contents($url, false, $context);
    $status = 0;
    $headers = [];
    foreach ($http_response_header ?? [] as $line) {
        if (preg_match('#^HTTP/\S+ (\d{3})#', $line, $m)) {
            $status = (int) $m[1];
        } elseif (str_contains($line, ':')) {
            [$name, $value] = explode(':', $line, 2);
            $headers[strtolower($name)] = trim($value);
        }
    }
    return ['status' => $status, 'headers' => $headers, 'body' => $text === false ? '' : $text];
}

// Sends the fields the way the client does: in the query and again in the body.
function api(string $script, array $fields, ?string $base = null): array
{
    return http($base ?? env('SITE_URL'), 'POST', "/vorlan/$script", $fields, $fields);
}

function isJsonReply(array $reply, string $case): void
{
    same(200, $reply['status'], "$case: HTTP status");
    same('application/json; charset=utf-8', $reply['headers']['content-type'] ?? null, "$case: content type");
}

// An envelope with the given code: compact, "result" first, a string or a number as asked,
// and a non-empty explanation.
function expectEnvelope(array $reply, int $code, bool $numeric, string $case): void
{
    isJsonReply($reply, $case);
    $prefix = '{"result":' . ($numeric ? $code : "\"$code\"") . ',"descr":"';
    check(str_starts_with($reply['body'], $prefix), "$case: envelope starts with $prefix", 'body: ' . $reply['body']);
    $decoded = json_decode($reply['body'], true);
    check(is_array($decoded) && array_keys($decoded) === ['result', 'descr'] && $decoded['descr'] !== '',
        "$case: envelope holds result and a descr", 'body: ' . $reply['body']);
}

function pending(string $operator): array
{
    $reply = api('get.php', ['type' => '2', 'operator' => $operator, 'apiVer' => '1']);
    $list = json_decode($reply['body'], true);
    check(is_array($list) && array_is_list($list), "poll for $operator answers a list", 'body: ' . $reply['body']);
    return is_array($list) ? array_column($list, null, 'id') : [];
}

function tool(string $name, string ...$args): array
{
    $command = escapeshellarg(PHP_BINARY) . ' ' . escapeshellarg(dirname(__DIR__, 2) . "/server/tools/$name.php");
    foreach ($args as $arg) {
        $command .= ' ' . escapeshellarg($arg);
    }
    exec($command . ' 2>&1', $output, $status);
    return ['status' => $status, 'output' => implode("\n", $output)];
}

function addCall(string $name, string $phone = PHONE): string
{
    $result = tool('add-call', $name, $phone);
    same(0, $result['status'], "add-call $name");
    return $result['output'];
}

function storedCall(string $id): array
{
    $result = tool('show-call', $id);
    same(0, $result['status'], "show-call $id");
    return json_decode($result['output'], true) ?? [];
}

// The working site's database, whichever engine it runs on.
function db(): PDO
{
    $dsn = getenv('VORLAN_DSN');
    if (!is_string($dsn) || $dsn === '') {
        return new PDO('sqlite:' . env('VORLAN_DB'));
    }
    return new PDO($dsn, env('VORLAN_DB_USER'), env('VORLAN_DB_PASSWORD'));
}

function callCount(): int
{
    return (int) db()->query('SELECT COUNT(*) FROM calls')->fetchColumn();
}

/**
 * Sends raw requests (a request line with the target exactly as given) all at once, each on
 * a connection of its own from the address given, and returns their replies in order.
 * @param list<string> $requests each "METHOD target\r\n[headers\r\n]\r\n[body]", without the HTTP version
 * @return list<array{status: int, head: string, body: string}>
 */
function rawRequests(string $base, array $requests, string $from = '127.0.0.1'): array
{
    $authority = substr($base, strlen('http://'));
    $sockets = [];
    $context = stream_context_create(['socket' => ['bindto' => bindAddress($from)]]);
    foreach ($requests as $i => $request) {
        $socket = stream_socket_client("tcp://$authority", $errno, $error, 10, STREAM_CLIENT_CONNECT, $context);
        if ($socket === false) {
            check(false, "raw request: connect to $authority", $error);
            return [];
        }
        [$line, $rest] = explode("\r\n", $request, 2) + [1 => "\r\n"];
        $sockets[$i] = $socket;
        $buffers[$i] = '';
        $pending[$i] = "$line HTTP/1.1\r\nHost: $authority\r\nConnection: close\r\n$rest";
    }
    foreach ($sockets as $i => $socket) {
        fwrite($socket, $pending[$i]);
    }
    $open = $sockets;
    $deadline = microtime(true) + 20;
    while ($open !== [] && microtime(true) < $deadline) {
        $read = $open;
        $write = $except = null;
        if (stream_select($read, $write, $except, 1) < 1) {
            continue;
        }
        foreach ($read as $socket) {
            $i = array_search($socket, $open, true);
            $chunk = fread($socket, 65536);
            if ($chunk === '' || $chunk === false) {
                fclose($socket);
                unset($open[$i]);
                continue;
            }
            $buffers[$i] .= $chunk;
        }
    }
    $replies = [];
    foreach ($buffers as $i => $text) {
        [$head, $body] = explode("\r\n\r\n", $text, 2) + [1 => ''];
        $replies[$i] = ['status' => preg_match('#^HTTP/\S+ (\d{3})#', $head, $m) ? (int) $m[1] : 0,
            'head' => $head, 'body' => $body];
    }
    return $replies;
}

function formRequest(string $target, array $fields): string
{
    $body = http_build_query($fields, '', '&', PHP_QUERY_RFC3986);
    return "POST $target\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " . strlen($body)
        . "\r\n\r\n$body";
}

function register(string $id, string $name = 'Desk', ?string $password = null, string $from = '127.0.0.1',
    ?string $base = null): array
{
    $fields = ['pass' => $password ?? env('VORLAN_SITE_PASSWORD'), 'opID' => $id, 'opName' => $name, 'apiVer' => '1'];
    return http($base ?? env('SITE_URL'), 'POST', '/vorlan/reg.php', $fields, $fields, $from);
}

function process(string $operator, string $id): array
{
    return api('set.php', ['action' => 'process', 'operator' => $operator, 'id' => $id, 'apiVer' => '1']);
}

function close(string $operator, string $id, string $comment): array
{
    return api('set.php', ['action' => 'close', 'operator' => $operator, 'id' => $id, 'comment' => $comment, 'apiVer' => '1']);
}

function testRegistration(): void
{
    $password = env('VORLAN_SITE_PASSWORD');
    expectEnvelope(register(OP_A, 'Desk A'), 0, false, 'reg: a new workplace');
    expectEnvelope(register(OP_B, 'Desk B'), 0, false, 'reg: a second workplace');
    $refusals = [
        'already registered' => [9, ['pass' => $password, 'opID' => OP_A, 'opName' => 'Again']],
        'wrong password' => [7, ['pass' => 'guess', 'opID' => OP_UNKNOWN, 'opName' => 'X']],
        'development default after the owner chose one' => [7, ['pass' => 'vorlan', 'opID' => OP_UNKNOWN, 'opName' => 'X']],
        'upper-case id' => [8, ['pass' => $password, 'opID' => strtoupper(OP_UNKNOWN), 'opName' => 'X']],
        'id without braces' => [8, ['pass' => $password, 'opID' => trim(OP_UNKNOWN, '{}'), 'opName' => 'X']],
        'id with a trailing newline' => [8, ['pass' => $password, 'opID' => OP_UNKNOWN . "\n", 'opName' => 'X']],
        'id one digit short' => [8, ['pass' => $password, 'opID' => '{abcdef00-0000-4000-8000-0000000000a}', 'opName' => 'X']],
        'id with SQL in it' => [8, ['pass' => $password, 'opID' => "{x' OR '1'='1}", 'opName' => 'X']],
        'description of two lines' => [1, ['pass' => $password, 'opID' => OP_UNKNOWN, 'opName' => "A\nB"]],
        'description of Hangul fillers' => [1, ['pass' => $password, 'opID' => OP_UNKNOWN, 'opName' => "\u{3164}\u{3164}"]],
        'description of wide spaces' => [1, ['pass' => $password, 'opID' => OP_UNKNOWN, 'opName' => "\u{3000}\u{3000}"]],
        'missing password' => [1, ['opID' => OP_UNKNOWN, 'opName' => 'X']],
        'missing id' => [1, ['pass' => $password, 'opName' => 'X']],
        'missing description' => [1, ['pass' => $password, 'opID' => OP_UNKNOWN]],
        'empty description' => [1, ['pass' => $password, 'opID' => OP_UNKNOWN, 'opName' => '']],
        'id given as an array' => [1, ['pass' => $password, 'opID' => [OP_UNKNOWN], 'opName' => 'X']],
    ];
    foreach ($refusals as $case => [$code, $fields]) {
        expectEnvelope(api('reg.php', $fields + ['apiVer' => '1']), $code, false, "reg: $case");
    }
    $versions = ['no apiVer' => [], 'apiVer 2' => ['apiVer' => '2']];
    foreach ($versions as $case => $version) {
        expectEnvelope(api('reg.php', ['pass' => $password, 'opID' => OP_UNKNOWN, 'opName' => 'X'] + $version), 1, false, "reg: $case");
    }
    expectEnvelope(api('get.php', ['type' => '2', 'operator' => OP_UNKNOWN, 'apiVer' => '1']), 2, false,
        'reg: refused workplaces stay unknown');

    $fields = ['pass' => $password, 'opID' => '{11111111-2222-4333-8444-555555555555}', 'opName' => 'Body only', 'apiVer' => '1'];
    expectEnvelope(http(env('SITE_URL'), 'POST', '/vorlan/reg.php', $fields), 0, false, 'reg: fields in the body only');
    $fields['opID'] = '{11111111-2222-4333-8444-666666666666}';
    expectEnvelope(http(env('SITE_URL'), 'POST', '/vorlan/reg.php', [], $fields), 0, false, 'reg: fields in the query only');
}

function testPoll(): void
{
    $reply = api('get.php', ['type' => '2', 'operator' => OP_B, 'apiVer' => '1']);
    isJsonReply($reply, 'get: no calls');
    same('[]', $reply['body'], 'get: no calls is an empty array');

    $id = addCall('Анна Пушкина');
    $reply = api('get.php', ['type' => '2', 'operator' => OP_B, 'apiVer' => '1']);
    check(preg_match('/^\[\{"id":"' . $id . '","create_date":"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d","name":"Анна Пушкина",'
        . '"phone":"\+7 900 000-00-00","status":"new"\}\]$/u', $reply['body']) === 1,
        'get: one new call, written compactly with unescaped text', 'body: ' . $reply['body']);
    expectEnvelope(process(OP_B, $id), 0, false, 'get: setup, B takes the call');

    $refusals = [
        'unknown operator' => [2, ['type' => '2', 'operator' => OP_UNKNOWN]],
        'empty operator' => [2, ['type' => '2', 'operator' => '']],
        'missing operator' => [2, ['type' => '2']],
        'operator that is SQL' => [2, ['type' => '2', 'operator' => "' OR 1=1 --"]],
        'missing type' => [1, ['operator' => OP_A]],
        'type 3' => [1, ['type' => '3', 'operator' => OP_A]],
    ];
    foreach ($refusals as $case => [$code, $fields]) {
        expectEnvelope(api('get.php', $fields + ['apiVer' => '1']), $code, false, "get: $case");
    }
    expectEnvelope(api('get.php', ['type' => '2', 'operator' => OP_A]), 1, false, 'get: no apiVer');
    same([], pending(OP_A), "get: a call another operator processes is not listed");
    $close = close(OP_B, $id, 'done');
    expectEnvelope($close, 0, true, 'get: cleanup, B closes the call');
}

function testProcessAndClose(): void
{
    $mine = addCall('Mine');
    $theirs = addCall('Theirs');
    $closed = addCall('Closed');
    $untaken = addCall('Untaken');
    expectEnvelope(process(OP_B, $theirs), 0, false, 'set: setup, B takes a call');
    expectEnvelope(process(OP_A, $closed), 0, false, 'set: setup, A takes a call');
    expectEnvelope(close(OP_A, $closed, 'done'), 0, true, 'set: setup, A closes it');

    $processRows = [
        'a new call' => [0, OP_A, $mine],
        'a call this operator holds' => [0, OP_A, $mine],
        'a call another operator holds' => [4, OP_B, $mine],
        'a closed call' => [5, OP_A, $closed],
        'an unknown id' => [3, OP_A, '999999'],
        'an id that is not a number' => [3, OP_A, 'abc'],
        'an id with SQL in it' => [3, OP_A, "$untaken OR 1=1"],
        'an id with a leading zero' => [3, OP_A, "0$untaken"],
        'an empty id' => [1, OP_A, ''],
        'an unknown operator' => [2, OP_UNKNOWN, $untaken],
    ];
    foreach ($processRows as $case => [$code, $operator, $id]) {
        expectEnvelope(process($operator, $id), $code, false, "process: $case");
    }
    same('new', storedCall($untaken)['status'] ?? null, 'process: refusals leave the untaken call new');

    $closeRows = [
        'an unknown operator' => [2, OP_UNKNOWN, $mine, 'x'],
        'a call nobody took' => [4, OP_A, $untaken, 'x'],
        'a call another operator holds' => [4, OP_A, $theirs, 'x'],
        'a closed call' => [5, OP_A, $closed, 'x'],
        'an unknown id' => [3, OP_A, '999999', 'x'],
        'an empty comment' => [6, OP_A, $mine, ''],
        'a blank comment' => [6, OP_A, $mine, " \n\t"],
        'a comment of wide and no-break spaces' => [6, OP_A, $mine, "\u{3000}\n\u{00A0}"],
        'a comment with a zero byte' => [1, OP_A, $mine, "a\0b"],
    ];
    foreach ($closeRows as $case => [$code, $operator, $id, $comment]) {
        expectEnvelope(close($operator, $id, $comment), $code, true, "close: $case");
    }
    expectEnvelope(api('set.php', ['action' => 'close', 'operator' => OP_A, 'id' => $mine, 'apiVer' => '1']), 6, true, 'close: no comment');
    expectEnvelope(api('set.php', ['action' => 'close', 'operator' => OP_A, 'id' => $mine, 'comment' => 'x']), 1, true, 'close: no apiVer');
    expectEnvelope(api('set.php', ['action' => 'process', 'operator' => OP_A, 'id' => $untaken]), 1, false, 'process: no apiVer');
    same('processing', storedCall($mine)['status'] ?? null, 'close: refusals leave the call processing');

    $actions = ['an unknown action' => ['action' => 'delete'], 'no action' => [], 'an action as an array' => ['action' => ['close']]];
    foreach ($actions as $case => $action) {
        expectEnvelope(api('set.php', $action + ['operator' => OP_A, 'id' => $mine, 'apiVer' => '1']), 1, false, "set: $case");
    }
    expectEnvelope(close(OP_A, $mine, 'called back'), 0, true, 'close: a call this operator holds');
}

function testVisitorPage(): void
{
    $form = http(env('SITE_URL'), 'GET', '/');
    same(200, $form['status'], 'page: shown');
    check(str_contains($form['body'], '<form method="post"') && str_contains($form['body'], 'name="name"')
        && str_contains($form['body'], 'name="phone"'), 'page: holds the form');

    $before = callCount();
    $sent = http(env('SITE_URL'), 'POST', '/', ['name' => '  Olga  ', 'phone' => '+7 (900) 123-45-67']);
    same(303, $sent['status'], 'page: a valid request redirects');
    same('?sent=1', $sent['headers']['location'] ?? null, 'page: to the thank-you view');
    same($before + 1, callCount(), 'page: a valid request is stored');
    $stored = storedCall((string) ($before + 1));
    same(['Olga', '+7 (900) 123-45-67', 'new'], [$stored['name'] ?? null, $stored['phone'] ?? null, $stored['status'] ?? null],
        'page: stored trimmed, as new');
    check(str_contains(http(env('SITE_URL'), 'GET', '/?sent=1')['body'], 'Thank you!'), 'page: thanks the visitor');

    $invalid = [
        'empty name' => [['name' => '', 'phone' => PHONE], 'Please enter your name.'],
        'blank name' => [['name' => '   ', 'phone' => PHONE], 'Please enter your name.'],
        'name of wide and no-break spaces' => [['name' => "\u{3000}\u{00A0}\u{2003}", 'phone' => PHONE], 'Please enter your name.'],
        'name as an array' => [['name' => ['x'], 'phone' => PHONE], 'Please enter your name.'],
        'name too long' => [['name' => str_repeat('я', 101), 'phone' => PHONE], 'The name is too long'],
        'empty phone' => [['name' => 'Olga', 'phone' => ''], 'Please enter your phone number.'],
        'phone with letters' => [['name' => 'Olga', 'phone' => 'call me'], 'Please enter a phone number of 5 to 15 digits'],
        'phone too short' => [['name' => 'Olga', 'phone' => '1234'], 'Please enter a phone number of 5 to 15 digits'],
        'phone too long' => [['name' => 'Olga', 'phone' => '1234567890123456'], 'Please enter a phone number of 5 to 15 digits'],
        'plus inside the phone' => [['name' => 'Olga', 'phone' => '900+1234567'], 'Please enter a phone number of 5 to 15 digits'],
    ];
    foreach ($invalid as $case => [$fields, $message]) {
        $reply = http(env('SITE_URL'), 'POST', '/', $fields);
        same(200, $reply['status'], "page: $case is shown again");
        check(str_contains($reply['body'], $message), "page: $case says \"$message\"");
    }
    same($before + 1, callCount(), 'page: invalid requests are not stored');

    $reply = http(env('SITE_URL'), 'POST', '/', ['name' => '<script>alert(1)</script>', 'phone' => 'x']);
    check(str_contains($reply['body'], 'value="&lt;script&gt;alert(1)&lt;/script&gt;"') && !str_contains($reply['body'], '<script>'),
        'page: typed text is shown escaped');
}

function testVerbatimStorage(): void
{
    $name = "O'Brien\"; DROP TABLE calls; --";
    $before = callCount();
    http(env('SITE_URL'), 'POST', '/', ['name' => $name, 'phone' => PHONE]);
    $id = (string) ($before + 1);
    same($name, storedCall($id)['name'] ?? null, 'SQL: a name with SQL in it is stored verbatim');
    $comment = "'); DELETE FROM calls; -- \"quoted\" \\ 100% _x_";
    expectEnvelope(process(OP_A, $id), 0, false, 'SQL: take the call');
    expectEnvelope(close(OP_A, $id, $comment), 0, true, 'SQL: close with SQL in the comment');
    same($comment, storedCall($id)['comment'] ?? null, 'SQL: the comment is stored verbatim');
    same($before + 1, callCount(), 'SQL: no call was lost');
}

function testWholeFlow(): void
{
    expectEnvelope(register(OP_FLOW, 'Front desk'), 0, false, 'flow: register');
    $before = callCount();
    same(303, http(env('SITE_URL'), 'POST', '/', ['name' => 'Pyotr', 'phone' => '8 800 555 35 35'])['status'], 'flow: visitor request');
    $id = (string) ($before + 1);
    same('new', pending(OP_FLOW)[$id]['status'] ?? null, 'flow: listed as new');
    same('new', pending(OP_B)[$id]['status'] ?? null, 'flow: listed as new to every operator');
    expectEnvelope(process(OP_FLOW, $id), 0, false, 'flow: take');
    same('processing', pending(OP_FLOW)[$id]['status'] ?? null, 'flow: listed as processing');
    check(!isset(pending(OP_B)[$id]), 'flow: gone from the other operators');
    $comment = "Called back.\nWants a visit on Monday;\r\n\tconfirmed by phone.";
    expectEnvelope(close(OP_FLOW, $id, $comment), 0, true, 'flow: close with a multi-line comment');
    check(!isset(pending(OP_FLOW)[$id]), 'flow: no longer listed');
    $stored = storedCall($id);
    same(['closed', $comment, OP_FLOW], [$stored['status'] ?? null, $stored['comment'] ?? null, $stored['operator_id'] ?? null],
        'flow: show-call shows the closed call with its comment');
    check(preg_match('/^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d$/', (string) ($stored['closed_date'] ?? '')) === 1, 'flow: close date stored');
}

function testTools(): void
{
    $rows = [
        'add-call without arguments' => [tool('add-call'), 2],
        'add-call with a bad phone' => [tool('add-call', 'Olga', 'none'), 1],
        'show-call of an unknown id' => [tool('show-call', '999999'), 1],
    ];
    foreach ($rows as $case => [$result, $status]) {
        same($status, $result['status'], "tools: $case");
    }
    check(preg_match('/^[1-9][0-9]*$/', addCall('Tool')) === 1, 'tools: add-call prints the new id');
}

function testPrivateFiles(): void
{
    $paths = ['/lib/Api.php', '/lib/bootstrap.php', '/tools/add-call.php', '/tools/show-call.php', '/tools/workplaces.php',
        '/router.php', '/lib/.htaccess'];
    foreach (['router' => env('SITE_URL'), 'plain server' => env('BROKEN_SITE_URL')] as $server => $base) {
        foreach ($paths as $path) {
            $reply = http($base, 'GET', $path);
            if ($server === 'plain server' && $path === '/lib/.htaccess') {
                continue;
            }
            same(404, $reply['status'], "private ($server): $path is not served");
            check(!str_contains($reply['body'], '<?php') && !str_contains($reply['body'], 'INSERT'),
                "private ($server): $path shows no code");
        }
    }
    same(404, http(env('SITE_URL'), 'GET', '/%6cib/Api.php')['status'], 'private (router): encoded path');
    same(404, http(env('SITE_URL'), 'GET', '//lib//Api.php')['status'], 'private (router): doubled slashes');
}

function testInternalErrors(): void
{
    $base = env('BROKEN_SITE_URL');
    expectEnvelope(api('get.php', ['type' => '2', 'operator' => OP_A, 'apiVer' => '1'], $base), 99, false, 'broken: get');
    expectEnvelope(api('set.php', ['action' => 'close', 'operator' => OP_A, 'id' => '1', 'comment' => 'x', 'apiVer' => '1'], $base),
        99, true, 'broken: close');
    expectEnvelope(api('reg.php', ['pass' => 'x', 'opID' => OP_A, 'opName' => 'x', 'apiVer' => '1'], $base), 99, false, 'broken: reg');
    $page = http($base, 'POST', '/', ['name' => 'Olga', 'phone' => PHONE]);
    same(500, $page['status'], 'broken: the page reports the failure');
    check(str_contains($page['body'], 'could not be saved') && !str_contains($page['body'], 'Exception'),
        'broken: the page apologises without details');
    check(str_contains((string) file_get_contents(env('BROKEN_SITE_LOG')), 'vorlan: internal error'), 'broken: the cause is logged');
}

function testCleanLog(): void
{
    $log = (string) file_get_contents(env('SITE_LOG'));
    // The one warning asked for (too many fields) comes before any script runs.
    $log = preg_replace('/^.*PHP Request Startup: Input variables exceeded.*$/m', '', $log);
    check(preg_match('/PHP (Warning|Notice|Deprecated|Fatal)|internal error/', $log) === 0,
        'log: the working site logged no PHP problem', $log);
}

function testPrivatePaths(): void
{
    $base = env('EXPOSED_SITE_URL');
    $page = http($base, 'POST', '/', ['name' => 'Secret Caller', 'phone' => PHONE], [], '127.0.0.7');
    same(303, $page['status'], 'exposed: the copy stores a request, so its database exists');
    check(is_file(env('EXPOSED_SITE_DB')), 'exposed: the database lies below the web root');

    $private = ['data/vorlan.sqlite', 'data/vorlan.sqlite-wal', 'data/', 'data/.htaccess', 'lib/Api.php', 'lib/',
        'lib/Config.php', 'tools/add-call.php', 'router.php', '.htaccess', 'README.md', '.gitignore'];
    $variants = [
        'as it is' => static fn (string $p): string => "/$p",
        'trailing slash' => static fn (string $p): string => "/$p/",
        'two trailing slashes' => static fn (string $p): string => "/$p//",
        'leading double slash' => static fn (string $p): string => "//$p",
        'dot segment' => static fn (string $p): string => "/./$p",
        'climbing back' => static fn (string $p): string => "/vorlan/../$p",
        'encoded climb' => static fn (string $p): string => "/vorlan/%2e%2e/$p",
        'encoded slashes' => static fn (string $p): string => '/' . str_replace('/', '%2F', $p),
        'encoded first letter' => static fn (string $p): string => '/%' . bin2hex($p[0]) . substr($p, 1),
        'upper case' => static fn (string $p): string => '/' . strtoupper($p),
        'mixed case' => static fn (string $p): string => '/' . ucfirst($p),
        'backslashes' => static fn (string $p): string => '/' . str_replace('/', '%5C', $p),
        'with a query' => static fn (string $p): string => "/$p?x=1",
        'path info' => static fn (string $p): string => "/$p/x.php",
    ];
    $requests = $cases = [];
    foreach ($private as $path) {
        foreach ($variants as $variant => $target) {
            $requests[] = 'GET ' . $target($path) . "\r\n\r\n";
            $cases[] = "private: $path ($variant, " . $target($path) . ')';
        }
    }
    $requests[] = "GET /vorlan/../../data/vorlan.sqlite\r\n\r\n";
    $cases[] = 'private: climbing above the root';
    foreach (array_chunk(array_keys($requests), 20) as $chunk) {
        $replies = rawRequests($base, array_intersect_key($requests, array_flip($chunk)));
        foreach ($chunk as $i) {
            $reply = $replies[$i] ?? ['status' => 0, 'body' => ''];
            same(404, $reply['status'], $cases[$i]);
            check(preg_match('/SQLite format|<\?php|\$2y\$|Secret Caller|class Api|INSERT/', $reply['body']) === 0,
                "$cases[$i]: nothing private in the body");
        }
    }

    $public = [
        'the page' => ["GET /\r\n\r\n", 200],
        'the page by name' => ["GET /index.php\r\n\r\n", 200],
        'the page with a query' => ["GET /?sent=1\r\n\r\n", 200],
        'a site address ending in a slash' => [formRequest('//vorlan/get.php', ['type' => '2', 'operator' => OP_A, 'apiVer' => '1']), 200],
        'a dot segment before a script' => [formRequest('/vorlan/./get.php', ['type' => '2', 'operator' => OP_A, 'apiVer' => '1']), 200],
    ];
    $replies = rawRequests($base, array_column($public, 0));
    foreach (array_keys($public) as $i => $case) {
        same($public[$case][1], $replies[$i]['status'] ?? 0, "public: $case is served");
    }
    check(str_starts_with($replies[3]['body'] ?? '', '{"result":"2"'), 'public: the doubled slash reaches get.php',
        'body: ' . ($replies[3]['body'] ?? ''));

    $site = realpath(dirname(__DIR__, 2) . '/server');
    $default = (string) shell_exec('env -u VORLAN_DB -u VORLAN_DSN ' . escapeshellarg(PHP_BINARY) . ' -r '
        . escapeshellarg('require ' . var_export("$site/lib/Config.php", true) . '; echo Config::databasePath();'));
    check($default !== '' && !str_starts_with($default, "$site/"), 'private: the default database lies outside the site folder', $default);
}

function testNoPassword(): void
{
    $base = env('EXPOSED_SITE_URL');
    $op = '{22222222-3333-4444-8555-666666666666}';
    foreach (['vorlan', '', 'anything'] as $password) {
        expectEnvelope(register($op, 'Desk', $password, '127.0.0.5', $base), $password === '' ? 1 : 10, false,
            "no password: registration with \"$password\" refused");
    }
    $db = new PDO('sqlite:' . env('EXPOSED_SITE_DB'));
    $store = $db->prepare("INSERT INTO settings (name, value) VALUES ('password_hash', ?)
        ON CONFLICT (name) DO UPDATE SET value = excluded.value");
    $store->execute([password_hash('vorlan', PASSWORD_DEFAULT)]);
    expectEnvelope(register($op, 'Desk', 'vorlan', '127.0.0.5', $base), 10, false,
        'no password: the former development default stored earlier is refused');
    $store->execute([password_hash('chosen before', PASSWORD_DEFAULT)]);
    expectEnvelope(register($op, 'Desk', 'chosen before', '127.0.0.5', $base), 0, false,
        'no password: a password the owner chose earlier still holds');
}

function testPasswordLockout(): void
{
    $op = '{33333333-4444-4555-8666-777777777777}';
    for ($attempt = 1; $attempt <= 5; ++$attempt) {
        expectEnvelope(register($op, 'Desk', "guess $attempt", '127.0.0.3'), 7, false, "lock-out: wrong password $attempt");
    }
    expectEnvelope(register($op, 'Desk', null, '127.0.0.3'), 11, false, 'lock-out: then even the right one is refused');
    same('2', json_decode(api('get.php', ['type' => '2', 'operator' => $op, 'apiVer' => '1'])['body'], true)['result'] ?? null,
        'lock-out: the workplace was not registered');
    expectEnvelope(register($op), 0, false, 'lock-out: another address is not locked out');
    $log = (string) file_get_contents(env('SITE_LOG'));
    check(substr_count($log, 'wrong site password from 127.0.0.3') === 5, 'lock-out: every wrong password is logged');
    check(str_contains($log, 'registration from 127.0.0.3 refused: locked out'), 'lock-out: the refusal is logged');
    // The right password forgets the slips before it, so later ones start from none.
    for ($round = 1; $round <= 2; ++$round) {
        for ($attempt = 1; $attempt <= 4; ++$attempt) {
            expectEnvelope(register($op, 'Desk', "slip $attempt", '127.0.0.10'), 7, false,
                "lock-out: slip $attempt of round $round");
        }
        expectEnvelope(register("{33333333-4444-4555-8666-00000000000$round}", 'Desk', null, '127.0.0.10'),
            0, false, "lock-out: the right password after four slips, round $round");
    }
}

function testVisitorAbuse(): void
{
    $base = env('SITE_URL');
    $post = static fn (array $fields, string $from, array $headers = []): array => http($base, 'POST', '/', $fields, [], $from, $headers);
    $valid = ['name' => 'Olga', 'phone' => PHONE];
    $before = callCount();
    $own = 'http://' . substr($base, strlen('http://'));
    $origins = [
        'another site as Origin' => [['Origin' => 'http://attacker.example'], 403],
        'another site as Referer' => [['Referer' => 'http://attacker.example/form.html'], 403],
        'an opaque Origin' => [['Origin' => 'null'], 403],
        'another port of this host' => [['Origin' => 'http://127.0.0.1:1'], 403],
        'another site as Origin, this one as Referer' => [['Origin' => 'http://attacker.example', 'Referer' => "$own/"], 403],
        'this site as Origin' => [['Origin' => $own], 303],
        'this site as Referer' => [['Referer' => "$own/?sent=1"], 303],
    ];
    $stored = 0;
    foreach ($origins as $case => [$headers, $status]) {
        $reply = $post($valid, '127.0.0.6', $headers);
        same($status, $reply['status'], "visitor: $case");
        $stored += $status === 303 ? 1 : 0;
    }
    check(str_contains($post($valid, '127.0.0.6', ['Origin' => 'http://attacker.example'])['body'], 'only be sent from'),
        'visitor: a cross-site post is told why');
    same($before + $stored, callCount(), 'visitor: cross-site posts are not stored');

    $invisible = [
        'right-to-left override' => ["Ol\u{202E}ag", PHONE],
        'left-to-right isolate' => ["\u{2066}Olga", PHONE],
        'zero-width space' => ["Ol\u{200B}ga", PHONE],
        'byte order mark' => ["\u{FEFF}Olga", PHONE],
        'soft hyphen' => ["Ol\u{AD}ga", PHONE],
        'line separator' => ["Ol\u{2028}ga", PHONE],
        'next line' => ["Ol\u{85}ga", PHONE],
        'override in the phone' => ['Olga', "+7 900 \u{202E}00-00-000"],
        'zero-width space in the phone' => ['Olga', "+7\u{200B}900 000-00-00"],
        'a Hangul filler' => ["\u{3164}", PHONE],
        'Hangul choseong fillers' => ["\u{115F}\u{115F}", PHONE],
        'halfwidth Hangul fillers' => ["\u{FFA0}\u{1160}", PHONE],
        'a filler inside a name' => ["Ol\u{3164}ga", PHONE],
        'blank Braille patterns' => ["\u{2800}\u{2800}", PHONE],
    ];
    foreach ($invisible as $case => [$name, $phone]) {
        $reply = $post(['name' => $name, 'phone' => $phone], '127.0.0.6');
        same(200, $reply['status'], "visitor: $case is refused");
        check(str_contains($reply['body'], 'cannot be used') || str_contains($reply['body'], 'Please enter a phone'),
            "visitor: $case is explained");
    }
    same(303, $post(['name' => "Мария\u{200C}Ли", 'phone' => PHONE], '127.0.0.8')['status'], 'visitor: a zero-width joiner stays allowed');
    same($before + $stored + 1, callCount(), 'visitor: names with invisible characters are not stored');

    for ($i = 1; $i <= 5; ++$i) {
        same(303, $post($valid, '127.0.0.4')['status'], "visitor: request $i of an address is stored");
    }
    $limited = $post($valid, '127.0.0.4');
    same(429, $limited['status'], 'visitor: the sixth request of an address within minutes is refused');
    check(str_contains($limited['body'], 'try again in'), 'visitor: the visitor is told to wait');
    same($before + $stored + 6, callCount(), 'visitor: the refused request is not stored');
    same(303, $post($valid, '127.0.0.9')['status'], 'visitor: another address may still leave one');
}

function testRepeatedClose(): void
{
    $id = addCall('Resent');
    expectEnvelope(process(OP_A, $id), 0, false, 'resend: take');
    expectEnvelope(close(OP_A, $id, "Called back.\nAll fine."), 0, true, 'resend: close');
    expectEnvelope(close(OP_A, $id, "Called back.\nAll fine."), 0, true, 'resend: the same close again succeeds');
    expectEnvelope(close(OP_A, $id, 'Another text'), 5, true, 'resend: a close with another comment is refused');
    expectEnvelope(close(OP_B, $id, "Called back.\nAll fine."), 5, true, 'resend: the same comment from another operator is refused');
    same("Called back.\nAll fine.", storedCall($id)['comment'] ?? null, 'resend: the first comment stays');
}

function testCleanReplies(): void
{
    $base = env('SITE_URL');
    $many = [];
    for ($i = 0; $i < 1100; ++$i) {
        $many["f$i"] = 'x';
    }
    $query = ['type' => '2', 'operator' => OP_A, 'apiVer' => '1'];
    $reply = http($base, 'POST', '/vorlan/get.php', $many, $query);
    isJsonReply($reply, 'clean: a poll with too many fields');
    check(str_starts_with($reply['body'], '[') && is_array(json_decode($reply['body'])), 'clean: its reply holds only the JSON, no PHP warning',
        'body: ' . substr($reply['body'], 0, 300));
    check(str_contains((string) file_get_contents(env('SITE_LOG')), 'Input variables exceeded'),
        'clean: the warning went to the log');

    $replies = [
        'get.php' => api('get.php', $query),
        'set.php' => api('set.php', ['action' => 'close', 'apiVer' => '1']),
        'the page' => http($base, 'GET', '/'),
        'a refused path' => http($base, 'GET', '/lib/Api.php'),
    ];
    foreach ($replies as $case => $reply) {
        check(!isset($reply['headers']['x-powered-by']), "clean: $case names no PHP version",
            $reply['headers']['x-powered-by'] ?? '');
    }
    $page = $replies['the page'];
    $policy = $page['headers']['content-security-policy'] ?? '';
    check(str_contains($policy, "frame-ancestors 'none'") && str_contains($policy, "default-src 'none'"),
        'clean: the page sends a content security policy', $policy);
    preg_match('#<style>(.*)</style>#s', $page['body'], $style);
    check(str_contains($policy, "'sha256-" . base64_encode(hash('sha256', $style[1] ?? '', true)) . "'"),
        'clean: the policy allows exactly the page\'s own style', $policy);
}

function testConcurrentTakes(): void
{
    $operators = [];
    for ($i = 0; $i < 8; ++$i) {
        $operators[] = sprintf('{%08x-aaaa-4bbb-8ccc-%012x}', $i + 1, $i + 1);
        expectEnvelope(register($operators[$i], "Racer $i"), 0, false, "race: register operator $i");
    }
    for ($round = 1; $round <= 6; ++$round) {
        $id = addCall("Race $round");
        $replies = rawRequests(env('SITE_URL'), array_map(static fn (string $op): string => formRequest('/vorlan/set.php',
            ['action' => 'process', 'operator' => $op, 'id' => $id, 'apiVer' => '1']), $operators));
        $results = array_map(static fn (array $r): ?string => json_decode($r['body'], true)['result'] ?? null, $replies);
        $winners = array_keys($results, '0', true);
        same(1, count($winners), "race $round: exactly one of 8 simultaneous takes succeeds");
        same(7, count(array_keys($results, '4', true)), "race $round: the others are told another operator has it");
        same($operators[$winners[0] ?? 0] ?? null, storedCall($id)['operator_id'] ?? null, "race $round: the winner holds the call");
    }
}

// The networks the limits count for, looked up as the site does.
function testNetworkKeys(): void
{
    require_once dirname(__DIR__, 2) . '/server/lib/Throttle.php';
    $networks = [
        '2001:db8:1:2::2' => '2001:db8:1:2::/64',
        '2001:db8:1:2::3' => '2001:db8:1:2::/64',
        '2001:0DB8:0001:0002:ffff:ffff:ffff:ffff' => '2001:db8:1:2::/64',
        '2001:db8:1:3::2' => '2001:db8:1:3::/64',
        '::ffff:192.0.2.7' => '192.0.2.7',
        '192.0.2.7' => '192.0.2.7',
        '192.0.2.8' => '192.0.2.8',
        'cli' => 'cli',
    ];
    foreach ($networks as $address => $network) {
        same($network, Throttle::networkOf($address), "network of $address");
    }
}

// Requests sent all at once from one address meet the limit exactly, on every engine.
function testParallelLimits(): void
{
    $guess = static fn (int $i): string => formRequest('/vorlan/reg.php',
        ['pass' => "guess $i", 'opID' => OP_UNKNOWN, 'opName' => 'X', 'apiVer' => '1']);
    $visit = static fn (int $i): string => formRequest('/', ['name' => "Parallel $i", 'phone' => PHONE]);
    $result = static fn (array $reply): ?string => json_decode($reply['body'], true)['result'] ?? null;
    $rows = [
        'wrong passwords' => [40, $guess, '127.0.3.1', static fn (array $r): bool => $result($r) === '7',
            static fn (array $r): bool => $result($r) === '11'],
        'visitor posts' => [30, $visit, '127.0.3.2', static fn (array $r): bool => $r['status'] === 303,
            static fn (array $r): bool => $r['status'] === 429],
    ];
    foreach ($rows as $case => [$count, $request, $from, $through, $refused]) {
        $before = callCount();
        $replies = rawRequests(env('SITE_URL'), array_map($request, range(1, $count)), $from);
        same(5, count(array_filter($replies, $through)), "parallel: exactly 5 of $count $case get through");
        same($count - 5, count(array_filter($replies, $refused)), "parallel: the other $case are refused");
        same($before + ($case === 'visitor posts' ? 5 : 0), callCount(), "parallel: what the $case stored");
    }
    expectEnvelope(register(OP_UNKNOWN, 'X', null, '127.0.3.1'), 11, false, 'parallel: the guessing address stays locked out');
}

// However many addresses take part, the site as a whole takes only so many a minute. Run
// last among the working site's tests: the caps hold for a minute.
function testSiteWideCaps(): void
{
    $base = env('SITE_URL');
    $rows = [
        'wrong passwords' => [4, 20, static fn (string $from): bool => str_contains(
            register(OP_UNKNOWN, 'X', 'guess', $from)['body'], '"result":"11","descr":"Too many wrong passwords on this site')],
        'visitor requests' => [5, 60, static function (string $from) use ($base): bool {
            $reply = http($base, 'POST', '/', ['name' => 'Olga', 'phone' => PHONE], [], $from);
            return $reply['status'] === 429 && str_contains($reply['body'], 'very many requests');
        }],
    ];
    foreach ($rows as $case => [$subnet, $cap, $isRefused]) {
        $refusedAt = null;
        for ($host = 1; $host <= $cap + 1 && $refusedAt === null; ++$host) {
            $refusedAt = $isRefused("127.0.$subnet.$host") ? $host : null;
        }
        check($refusedAt !== null, "site-wide: $case from " . ($cap + 1) . ' addresses, one each, meet the cap');
    }
    expectEnvelope(register(OP_UNKNOWN, 'X', null, '127.0.4.250'), 11, false,
        'site-wide: the right password from a new address waits too');
}

// The owner lists the workplaces and removes one; its registration ends at once.
function testWorkplaces(): void
{
    $op = '{44444444-5555-4666-8777-888888888888}';
    expectEnvelope(register($op, 'Desk to remove'), 0, false, 'workplaces: register');
    $id = addCall('Held by a removed desk');
    expectEnvelope(process($op, $id), 0, false, 'workplaces: the desk takes a call');
    $listed = tool('workplaces');
    check(preg_match('/^' . preg_quote($op) . "\t\\d{4}-\\d\\d-\\d\\d \\S+\tDesk to remove$/m", $listed['output']) === 1,
        'workplaces: listed with id, date and description', $listed['output']);
    same(0, tool('workplaces', 'remove', $op)['status'], 'workplaces: removed');
    check(!str_contains(tool('workplaces')['output'], $op) && str_contains(tool('workplaces')['output'], OP_A),
        'workplaces: only the removed one is gone from the list');
    expectEnvelope(api('get.php', ['type' => '2', 'operator' => $op, 'apiVer' => '1']), 2, false,
        'workplaces: the removed desk is refused');
    $call = storedCall($id);
    same(['new', null], [$call['status'] ?? null, $call['operator_id'] ?? null], 'workplaces: its call is new again');
    $refusals = [
        'removing it again' => [1, ['remove', $op]],
        'removing an unknown id' => [1, ['remove', OP_UNKNOWN]],
        'remove without an id' => [2, ['remove']],
        'another command' => [2, ['drop', $op]],
    ];
    foreach ($refusals as $case => [$status, $args]) {
        same($status, tool('workplaces', ...$args)['status'], "workplaces: $case");
    }
}

// The attack as it came: one IPv6 network's addresses, each asking anew. Run by ipv6.sh in a
// network namespace whose loopback carries addresses of 2001:db8:1:2::/64 and 2001:db8:1:3::/64.
function testIpv6Networks(): void
{
    $op = '{55555555-6666-4777-8888-999999999999}';
    $network = static fn (int $host): string => "2001:db8:1:2::$host";
    foreach ([2, 3, 4, 5, 2] as $attempt => $host) {
        expectEnvelope(register($op, 'Desk', 'guess', $network($host)), 7, false,
            'IPv6: wrong password ' . ($attempt + 1) . ' from ' . $network($host));
    }
    expectEnvelope(register($op, 'Desk', null, $network(6)), 11, false, 'IPv6: another address of the /64 is locked out too');
    expectEnvelope(register($op, 'Desk', null, '2001:db8:1:3::2'), 0, false, 'IPv6: another /64 is not');

    $post = static fn (string $from): int => http(env('SITE_URL'), 'POST', '/', ['name' => 'Olga', 'phone' => PHONE], [], $from)['status'];
    foreach ([2, 3, 4, 5, 6] as $host) {
        same(303, $post($network($host)), 'IPv6: a request from ' . $network($host) . ' is stored');
    }
    same(429, $post($network(7)), 'IPv6: the sixth request of the /64 is refused');
    same(303, $post('2001:db8:1:3::3'), 'IPv6: another /64 may still leave one');
}

function testSchemaUpgrade(): void
{
    $dsn = getenv('VORLAN_DSN');
    $scratch = 'upgrade_' . getmypid();
    if (is_string($dsn) && $dsn !== '') {
        db()->exec("CREATE DATABASE $scratch");
        $env = 'VORLAN_DSN=' . escapeshellarg(preg_replace('/dbname=\w+/', "dbname=$scratch", $dsn));
        $open = static fn (): PDO => new PDO(preg_replace('/dbname=\w+/', "dbname=$scratch", $dsn),
            env('VORLAN_DB_USER'), env('VORLAN_DB_PASSWORD'));
    } else {
        $file = sys_get_temp_dir() . "/$scratch.sqlite";
        $env = 'VORLAN_DB=' . escapeshellarg($file);
        $open = static fn (): PDO => new PDO("sqlite:$file");
    }
    $add = static function (string $name) use ($env): int {
        exec("$env " . escapeshellarg(PHP_BINARY) . ' ' . escapeshellarg(dirname(__DIR__, 2) . '/server/tools/add-call.php')
            . ' ' . escapeshellarg($name) . ' ' . escapeshellarg(PHONE) . ' 2>&1', $output, $status);
        check($status === 0, "upgrade: add-call $name", implode("\n", $output));
        return $status;
    };
    $add('On an empty database');
    $db = $open();
    // As a database made before the schema had a version: no throttle table, no removal
    // column, no version.
    $db->exec('DROP TABLE throttle');
    $db->exec('ALTER TABLE operators DROP COLUMN removed');
    $db->exec("DELETE FROM settings WHERE name = 'schema_version'");
    $add('After the upgrade');
    same(['On an empty database', 'After the upgrade'], $db->query('SELECT name FROM calls ORDER BY id')->fetchAll(PDO::FETCH_COLUMN),
        'upgrade: the calls are kept');
    same('3', $db->query("SELECT value FROM settings WHERE name = 'schema_version'")->fetchColumn(), 'upgrade: the version is current');
    same(0, (int) $db->query('SELECT COUNT(*) FROM throttle')->fetchColumn(), 'upgrade: the new table exists');
    same(0, (int) $db->query('SELECT COUNT(*) FROM operators WHERE removed IS NOT NULL')->fetchColumn(),
        'upgrade: the new column exists');
    $db = null;
    if (isset($file)) {
        array_map('unlink', glob("$file*"));
    } else {
        db()->exec("DROP DATABASE $scratch");
    }
}

// SITE_TESTS=testA,testB runs only those.
$tests = [
    'testRegistration', 'testPoll', 'testProcessAndClose', 'testVisitorPage', 'testVerbatimStorage',
    'testWholeFlow', 'testTools', 'testPrivateFiles', 'testPrivatePaths', 'testNoPassword',
    'testPasswordLockout', 'testVisitorAbuse', 'testRepeatedClose', 'testCleanReplies', 'testConcurrentTakes',
    'testNetworkKeys', 'testParallelLimits', 'testWorkplaces', 'testSiteWideCaps', 'testSchemaUpgrade',
    'testInternalErrors', 'testCleanLog',
];
$chosen = getenv('SITE_TESTS');
foreach (is_string($chosen) && $chosen !== '' ? explode(',', $chosen) : $tests as $test) {
    $test();
}

echo "$passed passed, $failed failed\n";
exit($failed === 0 ? 0 : 1);
