#pragma once

#include "model/repo.h"

#include <QString>

class TestServer;

// Serves a file of the disk under `path`; a missing file stays unanswered (404).
bool serveFile(TestServer &server, const QString &path, const QString &filePath);

// A folder of the shared corpus of real indexes, served with its icon under `path`/; the
// sample index where the corpus is absent, so that the pictures still show a source.
Repo servedSource(TestServer &server, const QString &path, const QString &folder, const char *name);
