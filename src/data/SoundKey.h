#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// A loose key of how a name sounds, shared by Arabic and Latin spellings, so that "Mohamed",
// "Muhammad" and "محمد" meet while "Hassan" and "Hussein" do not.
//
// A word becomes its consonants, each of a class both scripts share (ح, ه and h are one; ق, ك
// and k are one; ث and th are one...), with what is heard between them: a vowel run is the set
// of long vowels it may stand for. Arabic writes its long vowels (ا ي و) and no short ones, so
// an Arabic run is exact; a Latin single vowel may be short or long ("a": nothing or ا), a Latin
// "ee", "ei", "ay" or "y" is a ي, "oo", "ou" or "w" a و. Two runs agree when their sets meet.
// The README lists the rules with examples.
class SoundKey
{
public:
    // The key of a whole name: its words separated by blanks. Empty when nothing in it sounds.
    static QByteArray of(const QString& text);

    // True when the words of query sound like a run of whole consecutive words of name. A query
    // without a consonant matches nothing.
    static bool matches(QByteArrayView query, QByteArrayView name);

    static int consonants(QByteArrayView key);

    // True when what is typed so far is worth looking for by sound: two consonants, or one in a
    // query of three letters or more ("Ali", "Aly", "Mai"). One or two letters would sound like
    // every short name.
    static bool worthSearching(const QString& query, QByteArrayView key);
};
