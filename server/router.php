<?php
// Router for PHP's built-in server, which ignores .htaccess files:
//   php -S 127.0.0.1:8080 -t server server/router.php
// It keeps the same folders private that the .htaccess files close on a web server.

$root = realpath($_SERVER['DOCUMENT_ROOT']);
// Not parse_url: it reads a path starting with // as a host name.
$path = rawurldecode(strtok($_SERVER['REQUEST_URI'], '?'));
$target = realpath($root . '/' . ltrim($path, '/'));
$private = $target !== false && preg_match('#^/(lib|tools|data)(/|$)#', substr($target, strlen($root))) === 1;
$isDatabase = $target !== false && $target === realpath((string) getenv('VORLAN_DB'));
if ($private || $isDatabase || basename($path) === 'router.php') {
    http_response_code(404);
    header('Content-Type: text/plain; charset=utf-8');
    echo "Not found\n";
    return true;
}
return false;
