#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// One run of a program to its end, as a script sees it: the exit status (-1 when it crashed or
// took longer than two minutes), standard output and standard error.
struct ProgramRun {
    int status = -1;
    QString out;
    QString err;

    static ProgramRun of(const QString& program, const QStringList& arguments,
                         const QProcessEnvironment& environment = QProcessEnvironment())
    {
        QProcess process;
        if (!environment.isEmpty())
            process.setProcessEnvironment(environment);
        process.start(program, arguments);
        ProgramRun result;
        if (!process.waitForFinished(120000))
            return result;
        result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }
};
