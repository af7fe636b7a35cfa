<?php
// The visitor's page: leave a call-back request. The form posts to itself; a stored
// request redirects to the thank-you view, so reloading the page does not send it twice.

require __DIR__ . '/lib/bootstrap.php';

const REQUESTS_PER_ADDRESS = 5;
const REQUEST_WINDOW_SECONDS = 600;
const STYLE = <<<'CSS'

    body { font-family: system-ui, sans-serif; background: #f4f6f8; color: #1d2733; margin: 0; }
    main { max-width: 26rem; margin: 3rem auto; padding: 2rem; background: #fff;
           border-radius: 8px; box-shadow: 0 1px 4px rgba(0, 0, 0, .12); }
    h1 { font-size: 1.5rem; margin-top: 0; }
    label { display: block; font-weight: 600; margin-top: 1rem; }
    input { width: 100%; box-sizing: border-box; padding: .5rem; margin-top: .3rem;
            font-size: 1rem; border: 1px solid #9aa5b1; border-radius: 4px; }
    input[aria-invalid="true"] { border-color: #c62828; }
    .error { color: #c62828; margin: .3rem 0 0; }
    .notice { padding: .8rem; border-radius: 4px; }
    .thanks { background: #e8f5e9; color: #1b5e20; }
    .failure { background: #ffebee; color: #b71c1c; }
    button { margin-top: 1.5rem; padding: .6rem 1.4rem; font-size: 1rem; border: 0;
             border-radius: 4px; background: #1565c0; color: #fff; cursor: pointer; }

CSS;

function h(string $text): string
{
    return htmlspecialchars($text, ENT_QUOTES | ENT_SUBSTITUTE, 'UTF-8');
}

function postedText(string $name): string
{
    $value = $_POST[$name] ?? '';
    return is_string($value) ? $value : '';
}

// host[:port] of an Origin or Referer address, lower-case; null when it names none.
function authorityOf(string $address): ?string
{
    $parts = parse_url($address);
    if (!is_array($parts) || !isset($parts['host'])) {
        return null;
    }
    return strtolower($parts['host'] . (isset($parts['port']) ? ':' . $parts['port'] : ''));
}

// A post that names another site as its origin was made by that site's page, not by a visitor
// here. A browser that sends neither header is let through.
function isCrossSite(): bool
{
    $from = $_SERVER['HTTP_ORIGIN'] ?? $_SERVER['HTTP_REFERER'] ?? null;
    if (!is_string($from)) {
        return false;
    }
    return authorityOf($from) !== strtolower((string) ($_SERVER['HTTP_HOST'] ?? ''));
}

$request = null;
$failure = null;
if (($_SERVER['REQUEST_METHOD'] ?? 'GET') === 'POST') {
    $request = new CallRequest(postedText('name'), postedText('phone'));
    if (isCrossSite()) {
        http_response_code(403);
        $failure = 'This form can only be sent from its own page on this site.';
    } elseif ($request->isValid()) {
        try {
            $db = Database::connection();
            $throttle = new Throttle($db, 'visitor', REQUESTS_PER_ADDRESS, REQUEST_WINDOW_SECONDS);
            $address = Throttle::clientAddress();
            if ($throttle->isExceeded($address)) {
                http_response_code(429);
                header('Retry-After: ' . REQUEST_WINDOW_SECONDS);
                $failure = 'You have left several requests already. Please try again in '
                    . $throttle->windowMinutes() . ' minutes.';
            } else {
                $calls = new CallStore($db);
                Push::newCall($calls->listed($calls->add($request)));
                $throttle->record($address);
                header('Location: ?sent=1', true, 303);
                exit;
            }
        } catch (Throwable $error) {
            error_log('vorlan: internal error: ' . $error);
            http_response_code(500);
            $failure = 'Sorry, your request could not be saved. Please try again later.';
        }
    }
}
$sent = ($_GET['sent'] ?? null) === '1' && $request === null;
$errors = $request?->errors ?? [];
$name = $request === null ? '' : postedText('name');
$phone = $request === null ? '' : postedText('phone');
header('Content-Type: text/html; charset=utf-8');
header("Content-Security-Policy: default-src 'none'; style-src 'sha256-"
    . base64_encode(hash('sha256', STYLE, true)) . "'; form-action 'self'; base-uri 'none'; frame-ancestors 'none'");
header('X-Frame-Options: DENY');
header('X-Content-Type-Options: nosniff');
header('Referrer-Policy: same-origin');
?>
<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Request a call back</title>
<style><?= STYLE ?></style>
</head>
<body>
<main>
<h1>Request a call back</h1>
<?php if ($sent): ?>
<p class="notice thanks" role="status">Thank you! Your request has been received; an operator will call you back soon.</p>
<p><a href="?">Leave another request</a></p>
<?php else: ?>
<?php if ($failure !== null): ?>
<p class="notice failure" role="alert"><?= h($failure) ?></p>
<?php endif; ?>
<p>Leave your name and phone number, and we will call you back.</p>
<form method="post" action="" novalidate>
    <label for="name">Your name</label>
    <input id="name" name="name" type="text" autocomplete="name" maxlength="<?= CallRequest::MAX_NAME ?>"
           value="<?= h($name) ?>" <?= isset($errors['name']) ? 'aria-invalid="true" aria-describedby="name-error"' : '' ?> required>
<?php if (isset($errors['name'])): ?>
    <p class="error" id="name-error"><?= h($errors['name']) ?></p>
<?php endif; ?>
    <label for="phone">Phone number</label>
    <input id="phone" name="phone" type="tel" autocomplete="tel" maxlength="<?= CallRequest::MAX_PHONE ?>"
           placeholder="+7 900 000-00-00" value="<?= h($phone) ?>"
           <?= isset($errors['phone']) ? 'aria-invalid="true" aria-describedby="phone-error"' : '' ?> required>
<?php if (isset($errors['phone'])): ?>
    <p class="error" id="phone-error"><?= h($errors['phone']) ?></p>
<?php endif; ?>
    <button type="submit">Call me back</button>
</form>
<?php endif; ?>
</main>
</body>
</html>
