#include "picture/FileName.h"

namespace tovik {

namespace {

// The length of the valid UTF-8 sequence at s[i], 0 when there is none:
// no overlong forms, no surrogates, nothing above U+10FFFF.
int Utf8SequenceLength(const QByteArray& s, qsizetype i) {
    const auto at = [&s](qsizetype k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = at(i);
    if (c < 0x80) return 1;
    int n = 0;
    unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
    if (c >= 0xC2 && c <= 0xDF) n = 2;
    else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0) low = 0xA0;
        if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    if (at(i + 1) < low || at(i + 1) > high) return 0;
    for (int k = 2; k < n; ++k)
        if ((at(i + k) & 0xC0) != 0x80) return 0;
    return n;
}

}  // namespace

QString ShownFileName(const QByteArray& nativeName) {
    QString shown;
    for (qsizetype i = 0; i < nativeName.size();) {
        const int n = Utf8SequenceLength(nativeName, i);
        if (n > 0) {
            shown += QString::fromUtf8(nativeName.constData() + i, n);
            i += n;
        } else {
            shown += QStringLiteral("\\x%1").arg(static_cast<unsigned char>(nativeName[i]), 2, 16, QLatin1Char('0'));
            ++i;
        }
    }
    return shown;
}

}  // namespace tovik
