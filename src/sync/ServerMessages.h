#pragma once

#include "CardDavClient.h"

// Tells the user, in Arabic, why the server did not do what was asked.
class ServerMessages
{
public:
    static QString failure(const DavResponse& answer, const QUrl& url);

private:
    static QString reason(const DavResponse& answer);
};
