#include "LaunchFolder.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <list>
#include <string>

namespace {
// The rewritten arguments live as long as the process, as argv's own strings do.
std::list<std::string> resolved;
} // namespace

const char* LaunchFolder::resolve(const char* path) {
    if (path[0] == '/' || path[0] == '\0') {
        return path;
    }
    std::filesystem::path base;
    const char* caller = std::getenv("DEADACRE_CALLER_DIR");
    if (caller != NULL && caller[0] == '/') {
        base = caller;
    } else {
        std::error_code error;
        base = std::filesystem::current_path(error);
        if (error) {
            return path;
        }
    }
    resolved.push_back((base / path).lexically_normal().string());
    return resolved.back().c_str();
}
