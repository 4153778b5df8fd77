#include "SoundKey.h"

#include <QString>

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{

// What a vowel run may stand for, as bits: nothing heard, ا, ي, و.
constexpr quint8 kNothing = 1;
constexpr quint8 kAlef = 2;
constexpr quint8 kYeh = 4;
constexpr quint8 kWaw = 8;
// A word that opens on a vowel (أ, إ, ع, or a written "a", "i", "o"...): some vowel, never none.
constexpr quint8 kOpening = kAlef | kYeh | kWaw;
constexpr quint8 kAnything = kNothing | kAlef | kYeh | kWaw;

char runChar(quint8 bits)
{
    return char('A' + bits);
}

bool isRunChar(char c)
{
    return c >= 'A' && c <= 'P';
}

quint8 runBits(char c)
{
    return quint8(c - 'A');
}

// One word being turned into consonants and the runs around them.
class WordKey
{
public:
    void vowel(quint8 bits)
    {
        m_runs.back() |= bits;
        m_heard.back() = true;
    }
    // Letters that are written but not heard as a vowel (ع and hamza inside a word): they keep
    // the consonants on either side from reading as one doubled letter.
    void silent() { m_heard.back() = true; }
    void consonant(char c)
    {
        if (!m_consonants.empty() && m_consonants.back() == c && !m_heard.back())
            return; // a doubled letter is heard once
        m_consonants += c;
        m_runs.push_back(0);
        m_heard.push_back(false);
    }
    void opensOnVowel() { m_opening = true; }

    void appendTo(QByteArray& key)
    {
        if (m_consonants.empty() && !m_heard.front() && !m_opening)
            return;
        for (quint8& bits : m_runs)
            if (bits == 0)
                bits = kNothing;
        if (m_opening)
            m_runs.front() = quint8((m_runs.front() & ~kNothing) | kOpening);
        // An h that ends a word is often not written in the other script (Fatimah / فاطمة,
        // طه / Taha, الله / Allah): it is left out, its two runs heard as one.
        if (m_consonants.size() >= 2 && m_consonants.back() == 'h') {
            m_consonants.pop_back();
            const quint8 last = m_runs.back();
            m_runs.pop_back();
            m_runs.back() |= last;
        }
        if (!key.isEmpty())
            key += ' ';
        key += runChar(m_runs[0]);
        for (size_t i = 0; i < m_consonants.size(); ++i) {
            key += m_consonants[i];
            key += runChar(m_runs[i + 1]);
        }
    }

private:
    std::string m_consonants;
    std::vector<quint8> m_runs{0};
    std::vector<bool> m_heard{false};
    bool m_opening = false;
};

// ---- Arabic --------------------------------------------------------------------------------

char arabicConsonant(char16_t c)
{
    switch (c) {
    case u'ب':
    case u'پ':
        return 'b';
    case u'ت':
    case u'ث':
    case u'ط':
        return 't';
    case u'ج':
    case u'غ':
    case u'گ':
        return 'g';
    case u'ح':
    case u'ه':
        return 'h';
    case u'خ':
        return 'x';
    case u'د':
    case u'ذ':
    case u'ض':
        return 'd';
    case u'ر':
        return 'r';
    case u'ز':
    case u'ظ':
    case u'ژ':
        return 'z';
    case u'س':
    case u'ص':
        return 's';
    case u'ش':
    case u'چ':
        return 'c';
    case u'ف':
    case u'ڤ':
        return 'f';
    case u'ق':
    case u'ك':
    case u'ک':
        return 'k';
    case u'ل':
        return 'l';
    case u'م':
        return 'm';
    case u'ن':
        return 'n';
    default:
        return 0;
    }
}

bool isArabicLetter(char16_t c)
{
    return (c >= 0x0621 && c <= 0x064A) || (c >= 0x0671 && c <= 0x06D3);
}

bool isArabicMark(char16_t c)
{
    return (c >= 0x064B && c <= 0x065F) || c == 0x0670 || c == 0x0640;
}

// The article ال is left out where it starts a word of a name (السيد / Sayed) and where a
// compound writes it inside one (عبدالله, عبدالعزيز, أبوالحسن, نورالدين), as Latin spellings
// mostly do (Abdullah, Abdelaziz, Noureddine).
std::u16string withoutArticle(std::u16string word)
{
    if (word.size() >= 4 && word.compare(0, 2, u"ال") == 0)
        return word.substr(2);
    for (const std::u16string prefix : {u"عبدال", u"ابوال", u"أبوال"})
        if (word.size() > prefix.size() + 1 && word.compare(0, prefix.size(), prefix) == 0)
            return word.substr(0, prefix.size() - 2) + word.substr(prefix.size());
    const std::u16string suffix = u"الدين";
    if (word.size() > suffix.size() + 1 && word.compare(word.size() - suffix.size(), suffix.size(), suffix) == 0)
        return word.substr(0, word.size() - suffix.size()) + u"دين";
    return word;
}

void arabicWord(const std::u16string& written, QByteArray& key)
{
    const std::u16string word = withoutArticle(written);
    WordKey out;
    for (size_t i = 0; i < word.size(); ++i) {
        const char16_t c = word[i];
        const bool first = i == 0;
        if (const char consonant = arabicConsonant(c)) {
            out.consonant(consonant);
            continue;
        }
        switch (c) {
        case u'ا':
        case u'آ':
        case u'أ':
        case u'إ':
        case u'ٱ':
        case u'ع':
        case u'ء':
        case u'ؤ':
        case u'ئ':
            if (first)
                out.opensOnVowel();
            else if (c == u'ا' || c == u'آ')
                out.vowel(i + 1 < word.size() && word[i + 1] == u'ل' ? kAnything : kAlef);
            else
                out.silent();
            break;
        case u'ى':
        case u'ة':
            out.vowel(kAlef | kYeh);
            break;
        case u'ي':
        case u'ی':
            out.vowel(kYeh);
            break;
        case u'و':
            out.vowel(kWaw);
            break;
        default:
            break;
        }
    }
    out.appendTo(key);
}

// ---- Latin ---------------------------------------------------------------------------------

bool isLatinVowel(char c)
{
    return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u' || c == 'y' || c == 'w';
}

quint8 latinRun(const std::string& run, bool atEnd)
{
    // A last single vowel is mostly a written long one: Samira / سميرة, Ali / علي.
    if (atEnd && run.size() == 1) {
        switch (run[0]) {
        case 'a':
            return kAlef;
        case 'i':
        case 'y':
            return kYeh;
        case 'o':
        case 'u':
        case 'w':
            return kWaw;
        default:
            break; // a last "e" is often silent (Yasmine, Amine)
        }
    }
    quint8 bits = 0;
    // Two letters that make one long vowel.
    auto pairIs = [](char a, char b, const char* pairs) {
        for (; pairs[0]; pairs += 2)
            if (a == pairs[0] && b == pairs[1])
                return true;
        return false;
    };
    for (size_t i = 0; i < run.size();) {
        const char next = i + 1 < run.size() ? run[i + 1] : '\0';
        if (pairIs(run[i], next, "eeeieyaiayii")) {
            bits |= kYeh;
            i += 2;
            continue;
        }
        if (pairIs(run[i], next, "ooouuuowawau")) {
            bits |= kWaw;
            i += 2;
            continue;
        }
        switch (run[i]) {
        case 'a':
            bits |= kNothing | kAlef;
            break;
        case 'e':
        case 'i':
            bits |= kNothing | kYeh;
            break;
        case 'o':
        case 'u':
            bits |= kNothing | kWaw;
            break;
        case 'y':
            bits |= kYeh;
            break;
        case 'w':
            bits |= kWaw;
            break;
        default:
            break;
        }
        ++i;
    }
    return bits;
}

// The consonant class of the letters at i, and how many letters it took.
char latinConsonant(const std::string& w, size_t i, size_t& taken)
{
    const char first = w[i];
    const char second = i + 1 < w.size() ? w[i + 1] : '\0';
    taken = 2;
    if (second == 'h') {
        switch (first) {
        case 's':
        case 'c':
            return 'c';
        case 'k':
            return 'x';
        case 'g':
            return 'g';
        case 't':
            return 't';
        case 'd':
            return 'd';
        case 'p':
            return 'f';
        case 'z':
            return 'z';
        default:
            break;
        }
    }
    if ((first == 'd' && second == 'j') || (first == 'c' && second == 'k'))
        return first == 'd' ? 'g' : 'k';
    taken = 1;
    switch (first) {
    case 'b':
    case 'p':
        return 'b';
    case 'c':
    case 'k':
    case 'q':
        return 'k';
    case 'd':
        return 'd';
    case 'f':
    case 'v':
        return 'f';
    case 'g':
    case 'j':
        return 'g';
    case 'h':
        return 'h';
    case 'l':
        return 'l';
    case 'm':
        return 'm';
    case 'n':
        return 'n';
    case 'r':
        return 'r';
    case 's':
        return 's';
    case 't':
        return 't';
    case 'z':
        return 'z';
    default:
        return 0;
    }
}

// Latin spellings of the article and of compounds: "al"/"el" alone before a word, "abdul",
// "abdel", "abdal" before the rest of a name, "eldin"/"uddin" at the end.
std::string withoutLatinArticle(std::string word)
{
    for (const char* prefix : {"abdul", "abdel", "abdal", "abul", "abol"})
        if (word.size() > std::strlen(prefix) + 1 && word.rfind(prefix, 0) == 0)
            return word.substr(0, std::strlen(prefix) - 2) + word.substr(std::strlen(prefix));
    for (const char* suffix : {"eldin", "aldin", "uldin", "eldeen", "aldeen"}) {
        const size_t at = word.size() > std::strlen(suffix) ? word.find(suffix) : std::string::npos;
        if (at != std::string::npos && at + std::strlen(suffix) == word.size())
            return word.substr(0, at) + word.substr(at + 2);
    }
    return word;
}

void latinWord(const std::string& written, QByteArray& key)
{
    const std::string word = withoutLatinArticle(written);
    WordKey out;
    for (size_t i = 0; i < word.size();) {
        if (isLatinVowel(word[i])) {
            size_t end = i;
            while (end < word.size() && isLatinVowel(word[end]))
                ++end;
            const std::string run = word.substr(i, end - i);
            if (i == 0 && run[0] != 'y' && run[0] != 'w')
                out.opensOnVowel();
            out.vowel(latinRun(run, end == word.size() && i > 0));
            i = end;
            continue;
        }
        if (word[i] == 'x') { // "ks"
            out.consonant('k');
            out.consonant('s');
            ++i;
            continue;
        }
        size_t taken = 1;
        if (const char consonant = latinConsonant(word, i, taken))
            out.consonant(consonant);
        i += taken;
    }
    out.appendTo(key);
}

// ---- Words ---------------------------------------------------------------------------------

// Accented Latin letters lose their marks by Unicode's canonical decomposition, as ICU's
// Latin-ASCII would make them: its transliteration, whose tables cost a few megabytes and
// milliseconds in every thread that first needs them, is left for what that does not make plain
// (other scripts, letters such as ß, ø or ª). Empty when so.
std::string decomposedLatin(const std::u16string& text)
{
    const QString decomposed = QString::fromStdU16String(text).normalized(QString::NormalizationForm_D);
    std::string out;
    out.reserve(size_t(decomposed.size()));
    for (const QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c.unicode() >= 0x80)
            return {};
        out += char(c.toLower().unicode());
    }
    return out;
}

// Other scripts and accented Latin letters become plain Latin letters.
std::string plainLatin(const std::u16string& text)
{
    // Its ASCII letters, lower case: a plain Latin word as it stands, or what is left without ICU.
    auto asciiOf = [&text] {
        std::string out;
        for (const char16_t c : text)
            if (c < 0x80)
                out += char(c >= 'A' && c <= 'Z' ? c + 32 : c);
        return out;
    };
    if (std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; }))
        return asciiOf();
    if (std::string decomposed = decomposedLatin(text); !decomposed.empty())
        return decomposed;
    thread_local std::unique_ptr<icu::Transliterator> toLatin = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> made(
            icu::Transliterator::createInstance("Any-Latin; Latin-ASCII; Lower", UTRANS_FORWARD, status));
        return U_SUCCESS(status) ? std::move(made) : nullptr;
    }();
    if (!toLatin)
        return asciiOf();
    icu::UnicodeString converted(text.data(), int32_t(text.size()));
    toLatin->transliterate(converted);
    std::string out;
    converted.toUTF8String(out);
    return out;
}

} // namespace

QByteArray SoundKey::of(const QString& text)
{
    QByteArray key;
    std::u16string word;
    bool arabic = false;
    std::vector<std::string> latinWords;
    auto endWord = [&] {
        if (word.empty())
            return;
        if (arabic) {
            arabicWord(word, key);
        } else {
            // A word outside Arabic may come out of ICU as several.
            std::string latin = plainLatin(word);
            std::string part;
            latin += ' ';
            for (const char c : latin) {
                if (c >= 'a' && c <= 'z') {
                    part += c;
                } else if (!part.empty()) {
                    // "al" or "el" alone before another word is the article (Al Sayed, El-Sayed).
                    if (part != "al" && part != "el")
                        latinWord(part, key);
                    part.clear();
                }
            }
        }
        word.clear();
    };
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (isArabicMark(c))
            continue;
        const bool isArabic = isArabicLetter(c);
        const bool isLetter = isArabic || ch.isLetter() || ch.isMark();
        if (!isLetter || (!word.empty() && isArabic != arabic)) {
            endWord();
            if (!isLetter)
                continue;
        }
        arabic = isArabic;
        word += c;
    }
    endWord();
    return key;
}

namespace
{

// One word of a key: its characters, which never hold a blank.
struct Word {
    const char* begin;
    const char* end;
};

// Words laid end to end as one sequence of consonants and the runs around them; where two
// words meet, the end of one and the start of the next are heard together.
struct Flat {
    std::array<char, 128> consonants{};
    std::array<quint8, 129> runs{};
    int count = 0;
    bool full = false;

    void add(const Word& word)
    {
        for (const char* at = word.begin; at != word.end; ++at) {
            if (isRunChar(*at)) {
                runs[size_t(count)] |= runBits(*at);
            } else if (count + 1 < int(consonants.size())) {
                consonants[size_t(count++)] = *at;
                runs[size_t(count)] = 0;
            } else {
                full = true;
            }
        }
    }
};

// Keys are read by their size: a key handed over from a packed column has no end mark.
template <typename Visit> void forEachWord(QByteArrayView key, Visit visit)
{
    const char* at = key.data();
    const char* const end = at + key.size();
    while (at != end) {
        const char* wordEnd = at;
        while (wordEnd != end && *wordEnd != ' ')
            ++wordEnd;
        visit(Word{at, wordEnd});
        at = wordEnd == end ? end : wordEnd + 1;
    }
}

bool soundAlike(const Flat& a, const Flat& b)
{
    if (a.count != b.count || a.full || b.full)
        return false;
    for (int i = 0; i < a.count; ++i)
        if (a.consonants[size_t(i)] != b.consonants[size_t(i)])
            return false;
    for (int i = 0; i <= a.count; ++i)
        if (!(a.runs[size_t(i)] & b.runs[size_t(i)]))
            return false;
    return true;
}

} // namespace

namespace
{

// The consonant classes present in a key, one bit each.
quint32 consonantsPresent(QByteArrayView key)
{
    quint32 present = 0;
    for (const char c : key)
        if (c >= 'a' && c <= 'z')
            present |= 1u << (c - 'a');
    return present;
}

} // namespace

bool SoundKey::matches(QByteArrayView query, QByteArrayView name)
{
    // Most names lack one of the query's consonants: they are passed over at once.
    const quint32 needed = consonantsPresent(query);
    if ((consonantsPresent(name) & needed) != needed)
        return false;
    Flat wanted;
    forEachWord(query, [&](const Word& word) { wanted.add(word); });
    if (wanted.count == 0)
        return false;
    std::array<Word, 32> words{};
    size_t count = 0;
    forEachWord(name, [&](const Word& word) {
        if (count < words.size())
            words[count++] = word;
    });
    for (size_t first = 0; first < count; ++first) {
        Flat candidate;
        for (size_t last = first; last < count && candidate.count < wanted.count; ++last) {
            candidate.add(words[last]);
            if (candidate.count == wanted.count && soundAlike(wanted, candidate))
                return true;
        }
    }
    return false;
}

int SoundKey::consonants(QByteArrayView key)
{
    int count = 0;
    for (const char c : key)
        count += c >= 'a' && c <= 'z';
    return count;
}

bool SoundKey::worthSearching(const QString& query, QByteArrayView key)
{
    const int heard = consonants(key);
    if (heard >= 2)
        return true;
    // The stretching stroke (ـ) is drawn, not written: it is no letter here.
    return heard == 1 &&
           std::count_if(query.begin(), query.end(), [](QChar c) { return c.isLetter() && c != QChar(0x0640); }) >= 3;
}
