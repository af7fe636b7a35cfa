<?php

if (realpath((string) ($_SERVER['SCRIPT_FILENAME'] ?? '')) === __FILE__) {
    http_response_code(404);
    exit;
}

// The common frame of the three client scripts: reading fields, checking the API version,
// and answering with JSON. Every answer, refusals and internal errors included, is HTTP 200
// with a JSON body, because the client treats any HTTP error as a transport failure and
// would otherwise never show the operator the site's explanation.
final class Api
{
    private const JSON_FLAGS = JSON_UNESCAPED_UNICODE | JSON_UNESCAPED_SLASHES | JSON_THROW_ON_ERROR;

    // The client sends every field both in the body and in the query; the body wins.
    // A field given as an array (name[]=...) counts as missing.
    public static function field(string $name): ?string
    {
        $value = $_POST[$name] ?? $_GET[$name] ?? null;
        return is_string($value) ? $value : null;
    }

    public static function requiredField(string $name): string
    {
        $value = self::field($name);
        if ($value === null || $value === '') {
            throw new Refusal("The field \"$name\" is missing", Refusal::BAD_REQUEST);
        }
        return $value;
    }

    public static function knownOperator(OperatorStore $operators): string
    {
        $operator = self::field('operator') ?? '';
        if ($operator === '' || !$operators->exists($operator)) {
            throw new Refusal('This operator workplace is not registered on the site', Refusal::UNKNOWN_OPERATOR);
        }
        return $operator;
    }

    /**
     * Runs one request. The handler returns either the success message of an envelope or,
     * for data, an array that is written as a JSON array.
     * $numericResult writes "result" as a JSON number instead of a string, for the one
     * action whose client reads it as an integer.
     */
    public static function run(callable $handler, bool $numericResult = false): void
    {
        header('Content-Type: application/json; charset=utf-8');
        header('Cache-Control: no-store');
        header('X-Content-Type-Options: nosniff');
        try {
            if (self::field('apiVer') !== '1') {
                throw new Refusal('Unsupported API version: this site speaks apiVer 1', Refusal::BAD_REQUEST);
            }
            $answer = $handler();
            echo is_array($answer)
                ? json_encode(array_values($answer), self::JSON_FLAGS)
                : self::envelope(0, $answer, $numericResult);
        } catch (Refusal $refusal) {
            echo self::envelope($refusal->getCode(), $refusal->getMessage(), $numericResult);
        } catch (Throwable $error) {
            error_log('vorlan: internal error: ' . $error);
            echo self::envelope(Refusal::INTERNAL_ERROR, 'The site could not handle the request', $numericResult);
        }
    }

    // Written compactly with "result" first: the client recognises a refusal of a poll
    // by the opening characters {"result.
    private static function envelope(int $code, string $descr, bool $numericResult): string
    {
        return json_encode(
            ['result' => $numericResult ? $code : (string) $code, 'descr' => $descr],
            self::JSON_FLAGS | JSON_INVALID_UTF8_SUBSTITUTE
        );
    }
}
