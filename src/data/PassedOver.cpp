#include "PassedOver.h"

Q_LOGGING_CATEGORY(qavPassedOver, "qav.passedover")

void PassedOver::note(const DataResult& result, const char* where)
{
    if (!result)
        qCWarning(qavPassedOver, "%s: %s", where, qUtf8Printable(result.error));
}
