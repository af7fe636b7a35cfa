<?php
// Asked by the push engine before it lets a client subscribe to the events stream: only a
// registered workplace, naming its operator identifier as a bearer token, is let in.

require __DIR__ . '/../lib/bootstrap.php';

header('Cache-Control: no-store');
$credentials = (string) ($_SERVER['HTTP_AUTHORIZATION'] ?? '');
if (preg_match('/^Bearer +(\S+)\z/', $credentials, $token) !== 1) {
    header('WWW-Authenticate: Bearer realm="vorlan-events"');
    http_response_code(401);
    exit;
}
try {
    $known = (new OperatorStore(Database::connection()))->exists($token[1]);
} catch (Throwable $error) {
    error_log('vorlan: internal error: ' . $error);
    http_response_code(503);
    exit;
}
http_response_code($known ? 204 : 403);
