<?php
// The reference site under load, driven by bench/site_load.
//
//   php bench/site_load.php seed OPERATORS CALLS
//       fills the site's database (VORLAN_DB or VORLAN_DSN) with that many registered
//       operators and pending calls.
//   php bench/site_load.php run URL OPERATORS CALLS SECONDS VISITORS_PER_SECOND
//       for SECONDS, every operator polls get.php once every 60 s (spread evenly), visitors
//       leave requests on the page at the given rate, each from an address of its own, and
//       as many calls are taken and closed. Prints one JSON object of figures.
//
// Requests are sent when they are due, whether or not earlier ones have been answered, and
// each latency is counted from that moment, so a slow site cannot hide its queue.

const POLL_SECONDS = 60;
const MAX_IN_FLIGHT = 800;
const TIMEOUT_SECONDS = 10;

function operatorId(int $i): string
{
    return sprintf('{%08x-0000-4000-8000-%012x}', $i, $i);
}

function seed(int $operators, int $calls): void
{
    require __DIR__ . '/../server/lib/bootstrap.php';
    $db = Database::connection();
    $db->beginTransaction();
    for ($i = 1; $i <= $operators; ++$i) {
        Database::insertNew($db, 'operators', ['id' => operatorId($i), 'name' => "Desk $i", 'registered' => date('Y-m-d H:i:s')]);
    }
    $insert = $db->prepare("INSERT INTO calls (create_date, name, phone) VALUES (?, ?, '+7 900 000-00-00')");
    for ($i = 1; $i <= $calls; ++$i) {
        $insert->execute([date('Y-m-d H:i:s'), "Caller $i"]);
    }
    $db->commit();
}

function percentile(array $sorted, float $p): ?float
{
    if ($sorted === []) {
        return null;
    }
    return $sorted[min(count($sorted) - 1, (int) ceil($p * count($sorted)) - 1)];
}

final class Load
{
    private array $open = [];
    private array $latencies = ['poll' => [], 'visit' => [], 'take' => [], 'close' => []];
    private array $errors = ['poll' => 0, 'visit' => 0, 'take' => 0, 'close' => 0];
    private int $shed = 0;
    private int $bytes = 0;
    public function __construct(private readonly string $authority, private readonly int $operators,
        private readonly int $calls)
    {
    }

    public function run(int $seconds, float $visitorsPerSecond): array
    {
        $pollEvery = POLL_SECONDS / $this->operators;
        $visitEvery = $visitorsPerSecond > 0 ? 1 / $visitorsPerSecond : INF;
        $start = microtime(true);
        $end = $start + $seconds;
        $nextPoll = $start;
        $nextVisit = $start + $visitEvery / 2;
        $poller = 0;
        while (true) {
            $now = microtime(true);
            while ($nextPoll <= $now && $nextPoll < $end) {
                $poller = $poller % $this->operators + 1;
                $this->send('poll', $nextPoll, '/vorlan/get.php',
                    ['type' => '2', 'operator' => operatorId($poller), 'apiVer' => '1']);
                $nextPoll += $pollEvery;
            }
            while ($nextVisit <= $now && $nextVisit < $end) {
                $this->send('visit', $nextVisit, '/', ['name' => 'Visitor', 'phone' => '+7 900 111-22-33'],
                    sprintf('127.%d.%d.%d', mt_rand(1, 254), mt_rand(0, 255), mt_rand(1, 254)));
                // An operator takes one of the waiting calls; closing it follows the answer.
                $this->send('take', $nextVisit, '/vorlan/set.php', ['action' => 'process',
                    'operator' => operatorId(mt_rand(1, $this->operators)), 'id' => (string) mt_rand(1, $this->calls), 'apiVer' => '1']);
                $nextVisit += $visitEvery;
            }
            if ($now >= $end && $this->open === []) {
                break;
            }
            $this->serve(min($nextPoll, $nextVisit, $end + TIMEOUT_SECONDS) - $now);
        }
        return $this->figures(microtime(true) - $start, $seconds);
    }

    private function send(string $kind, float $due, string $target, array $fields, string $from = '127.0.0.1'): void
    {
        if (count($this->open) >= MAX_IN_FLIGHT) {
            ++$this->shed;
            ++$this->errors[$kind];
            return;
        }
        $context = stream_context_create(['socket' => ['bindto' => "$from:0"]]);
        $socket = @stream_socket_client("tcp://{$this->authority}", $errno, $error, TIMEOUT_SECONDS,
            STREAM_CLIENT_CONNECT | STREAM_CLIENT_ASYNC_CONNECT, $context);
        if ($socket === false) {
            ++$this->errors[$kind];
            return;
        }
        stream_set_blocking($socket, false);
        $body = http_build_query($fields, '', '&', PHP_QUERY_RFC3986);
        $this->open[(int) $socket] = [
            'socket' => $socket, 'kind' => $kind, 'due' => $due, 'fields' => $fields, 'reply' => '',
            // HTTP/1.0, so that no server answers in chunks.
            'out' => "POST $target HTTP/1.0\r\nHost: {$this->authority}\r\n"
                . "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " . strlen($body) . "\r\n\r\n$body",
        ];
    }

    private function serve(float $wait): void
    {
        $read = $write = [];
        foreach ($this->open as $request) {
            if ($request['out'] === '') {
                $read[] = $request['socket'];
            } else {
                $write[] = $request['socket'];
            }
        }
        if ($read === [] && $write === []) {
            usleep((int) (max(0.0, $wait) * 1e6));
            return;
        }
        $except = null;
        $wait = max(0.0, $wait);
        if (@stream_select($read, $write, $except, (int) $wait, (int) (fmod($wait, 1) * 1e6)) === false) {
            return;
        }
        foreach ($write as $socket) {
            $request = &$this->open[(int) $socket];
            $sent = @fwrite($socket, $request['out']);
            if ($sent === false) {
                $this->finish((int) $socket, false);
                continue;
            }
            $request['out'] = (string) substr($request['out'], $sent);
            unset($request);
        }
        foreach ($read as $socket) {
            $chunk = @fread($socket, 1 << 20);
            if ($chunk === '' || $chunk === false) {
                if (feof($socket) || $chunk === false) {
                    $this->finish((int) $socket, true);
                }
                continue;
            }
            $this->open[(int) $socket]['reply'] .= $chunk;
        }
        $now = microtime(true);
        foreach ($this->open as $key => $request) {
            if ($now - $request['due'] > TIMEOUT_SECONDS) {
                $this->finish($key, false);
            }
        }
    }

    private function finish(int $key, bool $answered): void
    {
        $request = $this->open[$key];
        unset($this->open[$key]);
        fclose($request['socket']);
        $kind = $request['kind'];
        [$head, $body] = explode("\r\n\r\n", $request['reply'], 2) + [1 => ''];
        $this->bytes += strlen($request['reply']);
        $status = preg_match('#^HTTP/\S+ (\d{3})#', $head, $m) === 1 ? (int) $m[1] : 0;
        $ok = $answered && match ($kind) {
            'poll' => $status === 200 && str_starts_with($body, '[') && str_ends_with($body, ']'),
            'visit' => $status === 303,
            // Another operator may have taken or closed the call first; that is an answer too.
            'take' => $status === 200 && preg_match('/^\{"result":"(0|4|5)"/', $body) === 1,
            'close' => $status === 200 && str_starts_with($body, '{"result":0,'),
        };
        if (!$ok) {
            ++$this->errors[$kind];
            return;
        }
        $this->latencies[$kind][] = microtime(true) - $request['due'];
        if ($kind === 'take' && str_starts_with($body, '{"result":"0"')) {
            $this->send('close', microtime(true), '/vorlan/set.php', ['action' => 'close',
                'operator' => $request['fields']['operator'], 'id' => $request['fields']['id'],
                'comment' => 'Called back.', 'apiVer' => '1']);
        }
    }

    private function figures(float $elapsed, int $seconds): array
    {
        $figures = ['operators' => $this->operators, 'seconds' => round($elapsed, 1),
            'polls_per_second' => round(count($this->latencies['poll']) / $seconds, 1),
            'mb_per_second' => round($this->bytes / $elapsed / 1e6, 1), 'shed' => $this->shed];
        foreach ($this->latencies as $kind => $values) {
            sort($values);
            $figures[$kind] = [
                'count' => count($values),
                'errors' => $this->errors[$kind],
                'p50_ms' => $values === [] ? null : round(percentile($values, 0.5) * 1000, 1),
                'p99_ms' => $values === [] ? null : round(percentile($values, 0.99) * 1000, 1),
                'max_ms' => $values === [] ? null : round(end($values) * 1000, 1),
            ];
        }
        return $figures;
    }
}

$command = $argv[1] ?? '';
if ($command === 'seed' && $argc === 4) {
    seed((int) $argv[2], (int) $argv[3]);
} elseif ($command === 'run' && $argc === 7) {
    $load = new Load(substr($argv[2], strlen('http://')), max(1, (int) $argv[3]), max(1, (int) $argv[4]));
    echo json_encode($load->run((int) $argv[5], (float) $argv[6])), "\n";
} else {
    fwrite(STDERR, "usage: php {$argv[0]} seed OPERATORS CALLS | run URL OPERATORS CALLS SECONDS VISITORS_PER_SECOND\n");
    exit(2);
}
