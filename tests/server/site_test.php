<?php
// Tests of the reference site over HTTP, run by run.sh against real `php -S` servers.
// Environment: SITE_URL, SITE_LOG and VORLAN_DB of a working site whose owner set
// VORLAN_SITE_PASSWORD; BROKEN_SITE_URL and BROKEN_SITE_LOG of a site (served without the
// router) whose database cannot be created.

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

/** @return array{status: int, headers: array<string, string>, body: string} */
function http(string $base, string $method, string $path, array $body = [], array $query = []): array
{
    $url = $base . $path . ($query === [] ? '' : '?' . http_build_query($query, '', '&', PHP_QUERY_RFC3986));
    $context = stream_context_create(['http' => [
        'method' => $method,
        'header' => "Content-Type: application/x-www-form-urlencoded\r\n",
        'content' => http_build_query($body, '', '&', PHP_QUERY_RFC3986),
        'ignore_errors' => true,
        'follow_location' => 0,
        'timeout' => 10,
    ]]);
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

function callCount(): int
{
    $db = new PDO('sqlite:' . env('VORLAN_DB'));
    return (int) $db->query('SELECT COUNT(*) FROM calls')->fetchColumn();
}

function register(string $id, string $name = 'Desk'): array
{
    return api('reg.php', ['pass' => env('VORLAN_SITE_PASSWORD'), 'opID' => $id, 'opName' => $name, 'apiVer' => '1']);
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
    $paths = ['/lib/Api.php', '/lib/bootstrap.php', '/tools/add-call.php', '/tools/show-call.php', '/router.php', '/lib/.htaccess'];
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
    check(preg_match('/PHP (Warning|Notice|Deprecated|Fatal)|internal error/', $log) === 0,
        'log: the working site logged no PHP problem', $log);
}

testRegistration();
testPoll();
testProcessAndClose();
testVisitorPage();
testVerbatimStorage();
testWholeFlow();
testTools();
testPrivateFiles();
testInternalErrors();
testCleanLog();

echo "$passed passed, $failed failed\n";
exit($failed === 0 ? 0 : 1);
