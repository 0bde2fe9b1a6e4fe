// Linked into every test executable: before anything else runs, the process gets a settings
// and data folder of its own, so a test started by hand (outside CTest) can never read or
// overwrite the user's real configuration.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

class IsolatedHome {
public:
    IsolatedHome() {
        char pattern[] = "/tmp/orvex-test-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            std::abort(); // better no test than one that writes into the user's settings
        }
        root_ = pattern;
        // Readable by others like an ordinary home: some tests drop their file user ID to
        // check permission handling and must still find the settings.
        std::filesystem::permissions(
            root_, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                       std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                       std::filesystem::perms::others_exec);
        setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
        setenv("XDG_DATA_HOME", (root_ + "/data").c_str(), 1);
        setenv("XDG_CACHE_HOME", (root_ + "/cache").c_str(), 1);
    }
    ~IsolatedHome() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    IsolatedHome(const IsolatedHome&) = delete;
    IsolatedHome& operator=(const IsolatedHome&) = delete;

private:
    std::string root_;
};

const IsolatedHome isolatedHome;

} // namespace
