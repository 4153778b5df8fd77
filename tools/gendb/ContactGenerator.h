#pragma once

#include <QStringList>

#include <random>

// Makes believable contacts from a fixed seed: Arabic and Latin names, telephone numbers,
// addresses, organisations and notes of about a hundred characters.
class ContactGenerator
{
public:
    explicit ContactGenerator(quint32 seed);

    // The ten values of one contact in column order; dir is left to the caller. The index
    // makes every name unique.
    QStringList contact(qsizetype index, const QString& dir);
    QString directoryName(int index);

private:
    QString pick(const QStringList& list);
    QString digits(int count);

    std::mt19937 m_random;
};
