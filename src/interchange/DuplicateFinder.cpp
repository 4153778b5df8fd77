#include "DuplicateFinder.h"

#include "PhoneMatch.h"
#include "SoundKey.h"
#include "TextFold.h"

#include <QHash>

#include <algorithm>
#include <map>
#include <numeric>

namespace
{

const QString ContactFields::*const kNumbers[] = {&ContactFields::hometel, &ContactFields::jobtel,
                                                  &ContactFields::mobil, &ContactFields::fax};

// Groups grow by joining pairs; each keeps the strongest reason one of its pairs had.
class Groups
{
public:
    explicit Groups(size_t count)
        : m_parent(count), m_reason(count, DuplicateFinder::Reason::SoundAlike), m_joined(count, false)
    {
        std::iota(m_parent.begin(), m_parent.end(), 0);
    }
    int root(int i)
    {
        while (m_parent[size_t(i)] != i)
            i = m_parent[size_t(i)] = m_parent[size_t(m_parent[size_t(i)])];
        return i;
    }
    void join(int a, int b, DuplicateFinder::Reason reason, const QString& shared)
    {
        m_joined[size_t(a)] = m_joined[size_t(b)] = true;
        a = root(a);
        b = root(b);
        DuplicateFinder::Reason best = reason;
        QString bestShared = shared;
        for (const int r : {a, b})
            if (m_reason[size_t(r)] < best) {
                best = m_reason[size_t(r)];
                bestShared = m_shared.value(r);
            }
        if (a != b)
            m_parent[size_t(b)] = a;
        m_reason[size_t(a)] = best;
        m_shared[a] = bestShared;
    }
    bool joined(int i) const { return m_joined[size_t(i)]; }
    DuplicateFinder::Reason reason(int rootIndex) const { return m_reason[size_t(rootIndex)]; }
    QString shared(int rootIndex) const { return m_shared.value(rootIndex); }

private:
    std::vector<int> m_parent;
    std::vector<DuplicateFinder::Reason> m_reason;
    std::vector<bool> m_joined;
    QHash<int, QString> m_shared;
};

QString plainEmail(const QString& email)
{
    return email.trimmed().toLower();
}

// The consonants of a sound key and the digits of the name: names in one bucket may sound alike.
QString soundBucket(const QByteArray& key, const QString& name)
{
    QString bucket;
    for (const char c : key)
        if ((c >= 'a' && c <= 'z') || c == ' ')
            bucket += QLatin1Char(c);
    bucket += QLatin1Char('#');
    for (const QChar ch : name)
        if (ch.isDigit())
            bucket += QChar(u'0' + ch.digitValue());
    return bucket;
}

} // namespace

QString DuplicateFinder::pairKey(const QString& a, const QString& b)
{
    return a < b ? a + QLatin1Char('\n') + b : b + QLatin1Char('\n') + a;
}

QString DuplicateFinder::reasonText(Reason reason)
{
    switch (reason) {
    case Reason::SameNumber:
        return QStringLiteral("نفس رقم التليفون");
    case Reason::SameEmail:
        return QStringLiteral("نفس البريد الالكترونى");
    case Reason::SameName:
        return QStringLiteral("نفس الاسم");
    case Reason::SoundAlike:
        break;
    }
    return QStringLiteral("اسمان متشابهان فى النطق");
}

std::vector<DuplicateFinder::Group> DuplicateFinder::find(const std::vector<ContactFields>& contacts) const
{
    const int count = int(contacts.size());
    Groups groups(contacts.size());
    PhoneMatch phones(m_region);
    auto allowed = [&](int a, int b) {
        return a != b && !m_notDuplicates.contains(pairKey(contacts[size_t(a)].name, contacts[size_t(b)].name));
    };

    // The same number: only numbers with the same last digits are read in full.
    std::map<QString, std::vector<std::pair<int, QString>>> byTail;
    for (int i = 0; i < count; ++i)
        for (const auto field : kNumbers)
            if (const QString tail = PhoneMatch::tail(contacts[size_t(i)].*field); !tail.isEmpty())
                byTail[tail].push_back({i, contacts[size_t(i)].*field});
    auto shareANumber = [&](int a, int b) {
        for (const auto fa : kNumbers)
            for (const auto fb : kNumbers)
                if (phones.same(contacts[size_t(a)].*fa, contacts[size_t(b)].*fb))
                    return true;
        return false;
    };
    for (const auto& [tail, numbers] : byTail)
        for (size_t x = 0; x < numbers.size(); ++x)
            for (size_t y = x + 1; y < numbers.size(); ++y)
                if (allowed(numbers[x].first, numbers[y].first) && phones.same(numbers[x].second, numbers[y].second))
                    groups.join(numbers[x].first, numbers[y].first, Reason::SameNumber, numbers[x].second);

    // The same e-mail address, whatever its case.
    QHash<QString, std::vector<int>> byEmail;
    for (int i = 0; i < count; ++i)
        if (const QString email = plainEmail(contacts[size_t(i)].email); !email.isEmpty())
            byEmail[email].push_back(i);
    for (const std::vector<int>& same : byEmail)
        for (size_t x = 1; x < same.size(); ++x)
            if (allowed(same[0], same[x]))
                groups.join(same[0], same[x], Reason::SameEmail, contacts[size_t(same[0])].email.trimmed());

    // Names: not when the two plainly are two people.
    auto hasNumber = [&](int i) {
        for (const auto field : kNumbers)
            if (!PhoneMatch::tail(contacts[size_t(i)].*field).isEmpty())
                return true;
        return false;
    };
    auto twoPeople = [&](int a, int b) {
        const QString emailA = plainEmail(contacts[size_t(a)].email);
        const QString emailB = plainEmail(contacts[size_t(b)].email);
        if (!emailA.isEmpty() && !emailB.isEmpty() && emailA != emailB)
            return true;
        return hasNumber(a) && hasNumber(b) && !shareANumber(a, b);
    };
    QHash<QString, std::vector<int>> byFolded;
    QHash<QString, std::vector<int>> bySound;
    std::vector<QByteArray> keys(contacts.size());
    for (int i = 0; i < count; ++i) {
        const QString& name = contacts[size_t(i)].name;
        byFolded[TextFold::fold(name).simplified()].push_back(i);
        keys[size_t(i)] = SoundKey::of(name);
        if (SoundKey::consonants(keys[size_t(i)]) > 0)
            bySound[soundBucket(keys[size_t(i)], name)].push_back(i);
    }
    for (const std::vector<int>& same : byFolded)
        for (size_t x = 0; x < same.size(); ++x)
            for (size_t y = x + 1; y < same.size(); ++y)
                if (allowed(same[x], same[y]) && !twoPeople(same[x], same[y]))
                    groups.join(same[x], same[y], Reason::SameName, QString());
    for (const std::vector<int>& alike : bySound)
        for (size_t x = 0; x < alike.size(); ++x)
            for (size_t y = x + 1; y < alike.size(); ++y) {
                const int a = alike[x];
                const int b = alike[y];
                if (allowed(a, b) && SoundKey::matches(keys[size_t(a)], keys[size_t(b)]) &&
                    SoundKey::matches(keys[size_t(b)], keys[size_t(a)]) && !twoPeople(a, b))
                    groups.join(a, b, Reason::SoundAlike, QString());
            }

    std::map<int, Group> byRoot;
    for (int i = 0; i < count; ++i)
        if (groups.joined(i)) {
            const int root = groups.root(i);
            Group& group = byRoot[root];
            group.members.push_back(i);
            group.reason = groups.reason(root);
            group.shared = groups.shared(root);
        }
    std::vector<Group> found;
    for (auto& [root, group] : byRoot)
        if (group.members.size() > 1)
            found.push_back(std::move(group));
    std::stable_sort(found.begin(), found.end(), [](const Group& a, const Group& b) { return a.reason < b.reason; });
    return found;
}
