#include "platform/qt/stable_links.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace kell {

namespace fs = std::filesystem;

std::string StableLinkFolder() {
    const char* given = std::getenv("KELL_SERIAL_BY_ID");
    if (given && *given)
        return given;
    return "/dev/serial/by-id";
}

std::vector<StableLink> ReadStableLinks(const std::string& folder) {
    std::vector<StableLink> links;
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    if (error)
        return links;
    for (const fs::directory_entry& entry : entries) {
        // Dot files are links still being made (or anything else that is not a device's name).
        if (!entry.is_symlink(error) || entry.path().filename().string().rfind('.', 0) == 0)
            continue;
        const std::string node = FollowLink(entry.path().string());
        if (!node.empty())
            links.push_back({entry.path().string(), node});
    }
    std::sort(links.begin(), links.end(),
              [](const StableLink& a, const StableLink& b) { return a.link < b.link; });
    return links;
}

bool IsStableName(const std::string& path) {
    std::error_code error;
    return fs::is_symlink(path, error) || path.rfind("/dev/serial/", 0) == 0;
}

std::string FollowLink(const std::string& link) {
    std::error_code error;
    const fs::path node = fs::canonical(link, error);
    return error ? std::string() : node.string();
}

std::string ResolvedPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    return error || resolved.empty() ? path : resolved.string();
}

}  // namespace kell
