<?php
// Router for PHP's built-in server, which ignores .htaccess files:
//   php -S 127.0.0.1:8080 -t server server/router.php
// It serves the site's public scripts and nothing else. The decision is taken on the
// request path as the scripts see it (decoded, dot segments and repeated slashes folded),
// and the router runs the script itself, so the built-in server never looks up a file
// from a path the router has not judged.

ini_set('display_errors', '0');
header_remove('X-Powered-By');

const PUBLIC_SCRIPTS = [
    '' => 'index.php',
    'index.php' => 'index.php',
    'vorlan/get.php' => 'vorlan/get.php',
    'vorlan/set.php' => 'vorlan/set.php',
    'vorlan/reg.php' => 'vorlan/reg.php',
];

// Null for a path that climbs above the root or carries bytes no public path has.
function normalisedPath(string $uri): ?string
{
    // Not parse_url: it reads a path starting with // as a host name.
    $path = rawurldecode(explode('?', $uri, 2)[0]);
    if (preg_match('/[\x00-\x1F\x7F\\\\]/', $path) === 1) {
        return null;
    }
    $segments = [];
    foreach (explode('/', $path) as $segment) {
        if ($segment === '' || $segment === '.') {
            continue;
        }
        if ($segment === '..') {
            if (array_pop($segments) === null) {
                return null;
            }
            continue;
        }
        $segments[] = $segment;
    }
    return implode('/', $segments);
}

$path = normalisedPath((string) ($_SERVER['REQUEST_URI'] ?? '/'));
$script = $path === null ? null : (PUBLIC_SCRIPTS[$path] ?? null);
if ($script === null) {
    http_response_code(404);
    header('Content-Type: text/plain; charset=utf-8');
    header('X-Content-Type-Options: nosniff');
    echo "Not found\n";
    return true;
}
$file = __DIR__ . '/' . $script;
$_SERVER['SCRIPT_FILENAME'] = $file;
$_SERVER['SCRIPT_NAME'] = $_SERVER['PHP_SELF'] = '/' . $script;
chdir(dirname($file));
require $file;
return true;
