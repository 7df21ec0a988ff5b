#pragma once

#include "model/repo.h"

#include <QString>

class TestServer;

// A folder of the shared corpus of real indexes, served with its icon under `path`/; the
// sample index where the corpus is absent, so that the pictures still show a source.
Repo servedSource(TestServer &server, const QString &path, const QString &folder, const char *name);
