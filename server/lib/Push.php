<?php

if (realpath((string) ($_SERVER['SCRIPT_FILENAME'] ?? '')) === __FILE__) {
    http_response_code(404);
    exit;
}

// The site's side of the events channel: each change of the call lists becomes one small
// message to the push engine, which fans it out to every subscribed workplace. The poll
// stays the source of truth, so a message that cannot be delivered is logged and dropped.
final class Push
{
    private const JSON_FLAGS = JSON_UNESCAPED_UNICODE | JSON_UNESCAPED_SLASHES | JSON_THROW_ON_ERROR;
    // A push engine on loopback accepts at once; one that does not is down.
    private const CONNECT_SECONDS = 0.5;
    // It answers once it has handed the message to its subscribers, which takes a while
    // with thousands of them; by then the client has its reply.
    private const ANSWER_SECONDS = 2;

    /** @var list<string> messages waiting for the end of the request */
    private static array $pending = [];

    // False when the site offers no channel: then nothing is advertised and nothing is published.
    public static function isConfigured(): bool
    {
        return Config::eventsUrl() !== null && Config::publishUrl() !== null;
    }

    // Names the events address in the reply's headers, for clients that can subscribe.
    public static function advertise(): void
    {
        $url = Config::eventsUrl();
        if (self::isConfigured() && preg_match('/^[!#-;=?-~]+\z/', (string) $url) === 1) {
            header("Link: <$url>; rel=\"vorlan-events\"");
        }
    }

    /** @param array<string, mixed> $record a call as a get.php list shows it */
    public static function newCall(array $record): void
    {
        self::publish(['new' => [$record]]);
    }

    public static function gone(string $callId): void
    {
        self::publish(['gone' => [$callId]]);
    }

    private static function publish(array $message): void
    {
        if (!self::isConfigured()) {
            return;
        }
        if (self::$pending === []) {
            register_shutdown_function([self::class, 'flush']);
        }
        self::$pending[] = json_encode($message, self::JSON_FLAGS);
    }

    // Runs after the script: under PHP-FPM the client has its answer before anything is sent.
    public static function flush(): void
    {
        if (function_exists('fastcgi_finish_request')) {
            fastcgi_finish_request();
        }
        foreach (self::$pending as $message) {
            try {
                self::send($message);
            } catch (Throwable $error) {
                error_log('vorlan: a message to the push engine failed: ' . $error->getMessage());
            }
        }
        self::$pending = [];
    }

    private static function send(string $message): void
    {
        $url = parse_url((string) Config::publishUrl());
        $host = $url['host'] ?? '';
        $port = $url['port'] ?? 80;
        $socket = @stream_socket_client("tcp://$host:$port", $errno, $error, self::CONNECT_SECONDS);
        if ($socket === false) {
            error_log("vorlan: the push engine at $host:$port cannot be reached: $error");
            return;
        }
        stream_set_timeout($socket, self::ANSWER_SECONDS);
        $path = ($url['path'] ?? '/') . (isset($url['query']) ? '?' . $url['query'] : '');
        fwrite($socket, "POST $path HTTP/1.0\r\nHost: $host\r\nContent-Type: application/json\r\n"
            . 'Content-Length: ' . strlen($message) . "\r\n\r\n" . $message);
        $status = (string) fgets($socket);
        fclose($socket);
        if (preg_match('#^HTTP/1\.\d 20[0-2] #', $status) !== 1) {
            error_log('vorlan: the push engine did not take a message: ' . ($status === '' ? 'no answer' : trim($status)));
        }
    }
}
