#pragma once

#include <QStringList>

#include <functional>

class QTextStream;
class RepoAdder;

// Each command of vexlo-cli takes the arguments after its name and returns the exit status.
// Exit statuses: 0 success, 1 the operation failed (a source or address failed), 2 usage error,
// 3 input that is not UTF-8.
namespace Cli {

int sources(const QStringList &args);
int parse(const QStringList &args);
int refresh(const QStringList &args);
int add(const QStringList &args);
int packages(const QStringList &args);
int exportList(const QStringList &args);
int importLists(const QStringList &args);

// Runs one batch of the add flow on the stored list, as `add` reports it.
int addBatch(const std::function<void(RepoAdder &)> &start);

// Standard output and standard error as UTF-8 text streams.
QTextStream &out();
QTextStream &err();

} // namespace Cli
