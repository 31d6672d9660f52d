#include "LaunchFolder.h"

#include <cstdlib>
#include <filesystem>

std::string LaunchFolder::resolve(const std::string& path) {
    if (path.empty() || path[0] == '/') {
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
    return (base / path).lexically_normal().string();
}
