#include "ui/DefaultApplication.h"

#include <gio/gio.h>

#include <memory>

namespace {

struct GFreeDeleter {
    void operator()(void* p) const { g_free(p); }
};
using GText = std::unique_ptr<char, GFreeDeleter>;

struct GObjectDeleter {
    void operator()(void* p) const {
        if (p) {
            g_object_unref(p);
        }
    }
};
template <typename T>
using GRef = std::unique_ptr<T, GObjectDeleter>;

std::string fileUri(const std::string& path) {
    GText uri(g_filename_to_uri(path.c_str(), nullptr, nullptr));
    return uri ? uri.get() : "file://" + path;
}

std::string contentTypeOf(const std::string& path) {
    GRef<GFile> file(g_file_new_for_path(path.c_str()));
    GRef<GFileInfo> info(g_file_query_info(file.get(), G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                           G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
    if (info) {
        const char* type = g_file_info_get_content_type(info.get());
        if (type && *type) {
            return type;
        }
    }
    GText guessed(g_content_type_guess(path.c_str(), nullptr, 0, nullptr));
    return guessed ? guessed.get() : "application/octet-stream";
}

}  // namespace

bool expandCommandLine(const std::string& commandLine, const std::string& path,
                       std::vector<std::string>& argv) {
    argv.clear();
    int count = 0;
    char** parsed = nullptr;
    if (!g_shell_parse_argv(commandLine.c_str(), &count, &parsed, nullptr)) {
        return false;
    }
    bool namedFile = false;
    for (int i = 0; i < count; ++i) {
        const std::string arg = parsed[i];
        std::string out;
        bool keep = true;
        for (size_t k = 0; k < arg.size(); ++k) {
            if (arg[k] != '%' || k + 1 == arg.size()) {
                out += arg[k];
                continue;
            }
            const char code = arg[++k];
            switch (code) {
                case 'f':
                case 'F':
                    out += path;
                    namedFile = true;
                    break;
                case 'u':
                case 'U':
                    out += fileUri(path);
                    namedFile = true;
                    break;
                case '%':
                    out += '%';
                    break;
                default:
                    // %i, %c, %k and the deprecated codes: an argument that is
                    // nothing but the code goes with it.
                    keep = keep && arg.size() > 2;
                    break;
            }
        }
        if (keep) {
            argv.push_back(out);
        }
    }
    g_strfreev(parsed);
    if (argv.empty()) {
        return false;
    }
    if (!namedFile) {
        argv.push_back(path);
    }
    return true;
}

bool defaultApplicationCommand(const std::string& path, std::vector<std::string>& argv,
                               std::string& error) {
    argv.clear();
    const std::string type = contentTypeOf(path);
    GRef<GAppInfo> app(g_app_info_get_default_for_type(type.c_str(), FALSE));
    if (!app) {
        error = "no application is set to open files of type " + type;
        return false;
    }
    const char* commandLine = g_app_info_get_commandline(app.get());
    if (commandLine && *commandLine) {
        if (!expandCommandLine(commandLine, path, argv)) {
            error = std::string("cannot read the command line ") + commandLine;
            return false;
        }
    } else {
        const char* executable = g_app_info_get_executable(app.get());
        if (!executable || !*executable) {
            error = std::string("the application ") + g_app_info_get_name(app.get()) +
                    " names no program";
            return false;
        }
        argv = {executable, path};
    }
    GText program(g_find_program_in_path(argv[0].c_str()));
    if (!program) {
        error = "the program " + argv[0] + " is not installed";
        argv.clear();
        return false;
    }
    return true;
}
