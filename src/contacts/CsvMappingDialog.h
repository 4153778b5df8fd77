#pragma once

#include "CsvMapping.h"

#include <QDialog>
#include <QList>

class QComboBox;
class QGridLayout;
class QTableWidget;
class QWidget;

// Shows the columns of a CSV file with a preview of its first rows and lets the user confirm or
// change the file's encoding and which contact field each column fills. Choosing another
// encoding reads the file again and guesses the columns anew.
class CsvMappingDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CsvMappingDialog(const QByteArray& bytes);

    // The rows as read in the chosen encoding, the header first, and the chosen mapping.
    const QList<QStringList>& rows() const { return m_rows; }
    CsvMapping mapping() const;

    QComboBox* encoding;
    QTableWidget* preview;
    QList<QComboBox*> choices;

private:
    void readFile();

    QByteArray m_bytes;
    QList<QStringList> m_rows;
    CsvMapping m_guess;
    QWidget* m_grid = nullptr;
    QGridLayout* m_gridLayout = nullptr;
};
