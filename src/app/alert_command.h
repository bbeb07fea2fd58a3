#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QProcess;

namespace vela::app {

// The user's program that a fired alert runs (--alert-command), with the alert's fields as
// its arguments and no shell between. It runs beside the program, which never waits for it;
// one alert never has two of them at once. What goes wrong is said through the report.
class AlertCommand : public QObject {
  public:
    using Report = std::function<void(const std::string& line)>;

    AlertCommand(std::string program, Report report);
    // Programs still running are ended with it (the program is closing).
    ~AlertCommand() override;

    const std::string& Program() const { return program_; }

    enum class Outcome { Started, StillRunning, Refused };
    // Starts the program for the alert `key` unless the one it started last still runs.
    Outcome Start(std::uint64_t key, const std::vector<std::string>& args);
    bool Running(std::uint64_t key) const;
    bool AnyRunning() const;

  private:
    void Finished(std::uint64_t key, QProcess* process, const std::string& why);

    std::string program_;
    Report report_;
    std::map<std::uint64_t, QPointer<QProcess>> running_;
};

}  // namespace vela::app
