#pragma once

#include "DataConnection.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(qavPassedOver)

// Failures the program goes on after on purpose (the next step copes with them, as a list that
// stays empty or a count that reads 0) still leave a trace: each is written once to the log
// category "qav.passedover", with the routine it happened in.
class PassedOver
{
public:
    static void note(const DataResult& result, const char* where);
};
