#pragma once
// The program's options: --database, --help and --version. Read before the toolkit starts, so
// that --help answers on a terminal without a display.

#include <QString>
#include <QStringList>

#include <optional>

namespace sitecapture {

enum class CommandAction { Run, Help, Version, Refuse };

struct CommandLine {
    CommandAction action = CommandAction::Run;
    std::optional<QString> database; // --database
    QString refusal;                 // why the arguments were refused, for the terminal
};

// arguments[0] is the program, as in argv.
CommandLine ParseCommandLine(const QStringList& arguments, bool chinese);

// dataFile: where the catalogue lives when neither the option nor the variable names one
// and the program's own folder is not used.
QString HelpText(bool chinese, const QString& dataFile);
QString VersionText();

// Chinese for a Chinese locale, English otherwise.
bool SpeaksChinese();

} // namespace sitecapture
