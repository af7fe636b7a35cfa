<?php
// Adds a call-back request as if a visitor had left it, and prints its id.
// Usage: php server/tools/add-call.php "Name" "+7 900 000-00-00"   (uses VORLAN_DB)

if (PHP_SAPI !== 'cli') {
    http_response_code(404);
    exit;
}
require __DIR__ . '/../lib/bootstrap.php';

if ($argc !== 3) {
    fwrite(STDERR, "usage: php {$argv[0]} NAME PHONE\n");
    exit(2);
}
$request = new CallRequest($argv[1], $argv[2]);
if (!$request->isValid()) {
    fwrite(STDERR, implode("\n", $request->errors) . "\n");
    exit(1);
}
$calls = new CallStore(Database::connection());
$id = $calls->add($request);
// A site with the events channel tells its operators at once, as after a visitor's request.
Push::newCall($calls->listed($id));
echo $id, "\n";
