#pragma once

#include "model/repo.h"

#include <QByteArray>
#include <QString>

class TestServer;

// Serves a file of the disk under `path`; a missing file stays unanswered (404).
bool serveFile(TestServer &server, const QString &path, const QString &filePath);

// The index with each package picture on the web ("Icon: https://…") replaced by one served
// here: the icons of the corpus's sources in turn, one per distinct address.
QByteArray withServedIcons(TestServer &server, const QByteArray &index, const QString &repos);

// A folder of the shared corpus of real indexes, served with its icon under `path`/; the
// sample index where the corpus is absent, so that the pictures still show a source.
Repo servedSource(TestServer &server, const QString &path, const QString &folder, const char *name);
