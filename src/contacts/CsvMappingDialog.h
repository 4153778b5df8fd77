#pragma once

#include "CsvMapping.h"

#include <QDialog>
#include <QList>

class QComboBox;

// Shows the columns of a CSV file with a sample value and lets the user confirm or change which
// contact field each one fills.
class CsvMappingDialog : public QDialog
{
    Q_OBJECT
public:
    CsvMappingDialog(const QStringList& headers, const QStringList& sample, const CsvMapping& guess);

    CsvMapping mapping() const;
    QList<QComboBox*> choices;
};
