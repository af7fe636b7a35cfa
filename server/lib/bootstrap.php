<?php
// Shared start of every page, API script and command-line tool.

if (realpath((string) ($_SERVER['SCRIPT_FILENAME'] ?? '')) === __FILE__) {
    http_response_code(404);
    exit;
}

// A warning printed into a reply would break the client's JSON, so nothing is shown:
// problems go to the server's log, and warnings become exceptions the callers answer.
ini_set('display_errors', '0');
header_remove('X-Powered-By');
ini_set('log_errors', '1');
error_reporting(E_ALL);
set_error_handler(static function (int $severity, string $message, string $file, int $line): bool {
    if ((error_reporting() & $severity) === 0) {
        return false;
    }
    throw new ErrorException($message, 0, $severity, $file, $line);
});

require_once __DIR__ . '/Config.php';
require_once __DIR__ . '/Database.php';
require_once __DIR__ . '/Refusal.php';
require_once __DIR__ . '/Text.php';
require_once __DIR__ . '/CallRequest.php';
require_once __DIR__ . '/CallStore.php';
require_once __DIR__ . '/OperatorStore.php';
require_once __DIR__ . '/Throttle.php';
require_once __DIR__ . '/SitePassword.php';
require_once __DIR__ . '/Api.php';
require_once __DIR__ . '/Push.php';
