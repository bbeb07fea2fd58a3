#include "app/alert_command.h"

#include <QProcess>

namespace vela::app {

namespace {

// What a program wrote to its error stream is kept up to this much, its end: the reason it
// gives for failing is usually its last line.
constexpr qsizetype kKeptErrorBytes = 2000;

std::string LastLine(QByteArray text) {
    while (!text.isEmpty() && (text.endsWith('\n') || text.endsWith('\r'))) text.chop(1);
    const qsizetype at = text.lastIndexOf('\n');
    return (at < 0 ? text : text.mid(at + 1)).toStdString();
}

}  // namespace

AlertCommand::AlertCommand(std::string program, Report report)
    : program_(std::move(program)), report_(std::move(report)) {}

AlertCommand::~AlertCommand() {
    // Quiet first: a process ended now reports nothing to an owner that is going.
    for (auto& [key, process] : running_) {
        if (!process) continue;
        process->disconnect(this);
        process->kill();
        process->waitForFinished(1000);
    }
}

bool AlertCommand::Running(std::uint64_t key) const {
    const auto found = running_.find(key);
    return found != running_.end() && found->second;
}

bool AlertCommand::AnyRunning() const {
    for (const auto& [key, process] : running_)
        if (process) return true;
    return false;
}

AlertCommand::Outcome AlertCommand::Start(std::uint64_t key, const std::vector<std::string>& args) {
    const QString program = QString::fromStdString(program_);
    if (Running(key)) {
        report_("Alert command \"" + program_ +
                "\" is still running for this alert's last firing: not started again");
        return Outcome::StillRunning;
    }
    auto* process = new QProcess(this);
    process->setProgram(program);
    QStringList list;
    for (const std::string& a : args) list << QString::fromStdString(a);
    process->setArguments(list);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    auto errors = std::make_shared<QByteArray>();
    connect(process, &QProcess::readyReadStandardError, this, [process, errors] {
        errors->append(process->readAllStandardError());
        if (errors->size() > kKeptErrorBytes) errors->remove(0, errors->size() - kKeptErrorBytes);
    });
    connect(process, &QProcess::errorOccurred, this,
            [this, key, process](QProcess::ProcessError e) {
                if (e == QProcess::FailedToStart)
                    Finished(key, process,
                             "could not be started: " + process->errorString().toStdString());
            });
    connect(process, &QProcess::finished, this,
            [this, key, process, errors](int code, QProcess::ExitStatus status) {
                errors->append(process->readAllStandardError());
                std::string why;
                if (status == QProcess::CrashExit)
                    why = "ended abnormally";
                else if (code != 0)
                    why = "failed with exit status " + std::to_string(code);
                if (!why.empty())
                    if (const std::string said = LastLine(*errors); !said.empty())
                        why += ": " + said;
                Finished(key, process, why);
            });
    running_[key] = process;
    process->start(QIODevice::ReadOnly);
    if (!Running(key)) return Outcome::Refused;  // failed at once: said already
    return Outcome::Started;
}

void AlertCommand::Finished(std::uint64_t key, QProcess* process, const std::string& why) {
    const auto found = running_.find(key);
    if (found != running_.end() && found->second == process) running_.erase(found);
    process->disconnect(this);
    process->deleteLater();
    if (!why.empty()) report_("Alert command \"" + program_ + "\" " + why);
}

}  // namespace vela::app
