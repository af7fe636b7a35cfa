<?php

if (realpath((string) ($_SERVER['SCRIPT_FILENAME'] ?? '')) === __FILE__) {
    http_response_code(404);
    exit;
}

// Checks on the texts that visitors and clients send.
final class Text
{
    public static function isUtf8(string $text): bool
    {
        return preg_match('//u', $text) === 1;
    }

    // One-line fields (names, phones) carry no control characters at all, and none of the
    // invisible format characters (bidirectional overrides and isolates, zero-width spaces,
    // line separators) that make a text read other than it is. The zero-width joiners stay:
    // some scripts need them to write names.
    public static function isSingleLine(string $text): bool
    {
        return self::isUtf8($text)
            && preg_match('/[\x00-\x1F\x7F\p{Cc}\p{Zl}\p{Zp}]|(?![\x{200C}\x{200D}])\p{Cf}/u', $text) === 0;
    }

    // Multi-line fields keep their line breaks and tabs, but no other control characters.
    public static function isMultiLine(string $text): bool
    {
        return self::isUtf8($text) && preg_match('/[\x00-\x08\x0B\x0C\x0E-\x1F\x7F]/', $text) === 0;
    }

    public static function isBlank(string $text): bool
    {
        return trim($text) === '';
    }

    public static function length(string $text): int
    {
        return (int) preg_match_all('/./us', $text);
    }
}
