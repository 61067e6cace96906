#pragma once
// quoteforge-cli batch: many price files into one MetaStock directory, one security each.

#include <ostream>
#include <string>
#include <vector>

#include "cli/convert_request.h"

namespace CLI {
class App;
}

// The number of cores, at least 1.
int DefaultThreads();

struct CBatchRequest {
    std::string strDir;
    std::vector<std::string> files;
    std::vector<std::string> symbolFrom = {"name"};  // "name", or "column" and a number
    std::vector<std::string> nameFrom;               // empty, or "column" and a number
    int nMaxPerDir = 255;
    bool bNoSync = false;
    bool bUpdate = false;
    int nThreads = DefaultThreads();
    CConvertRequest input;  // the input options; its symbol and directory are not used
};

// Adds the subcommand and its options to app.
CLI::App* AddBatchCommand(CLI::App& app, CBatchRequest& request);

// Runs a parsed batch: 0 when every file converted, 1 when any failed, 2 for a usage error. The
// progress line is shown only when err is standard error on a terminal. command tells which input
// options were given, so that --detect fills only the others.
int RunBatch(const CLI::App& command, CBatchRequest& request, std::ostream& out, std::ostream& err);
