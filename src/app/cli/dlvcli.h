#pragma once

#include <QStringList>
#include <QTextStream>

namespace dlv::cli {

// Exit codes of dalvane-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFalse = 1; // the command ran; its answer is "no"
inline constexpr int kExitUsage = 2; // bad arguments: message on stderr
inline constexpr int kExitError = 3; // an error was raised: its text on stderr

// Runs one command line (without the program name). Output goes to out, errors
// to err. Commands live in the dlvcli_*.cpp files of their subsystems.
int Run(const QStringList &slArgs, QTextStream &out, QTextStream &err);

// The commands; args exclude the command name.
int CmdMeters(const QStringList &slArgs, QTextStream &out, QTextStream &err);     // dlvcli_data.cpp
int CmdDays(const QStringList &slArgs, QTextStream &out, QTextStream &err);       // dlvcli_data.cpp
int CmdDay(const QStringList &slArgs, QTextStream &out, QTextStream &err);        // dlvcli_data.cpp
int CmdSampleDrive(const QStringList &slArgs, QTextStream &out, QTextStream &err); // dlvcli_data.cpp
int CmdLevels(const QStringList &slArgs, QTextStream &out, QTextStream &err);     // dlvcli_levels.cpp
int CmdDownload(const QStringList &slArgs, QTextStream &out, QTextStream &err);   // dlvcli_download.cpp

// Usage text (one line per command).
QString UsageText();

} // namespace dlv::cli
