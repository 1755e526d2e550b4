// A C++ host of libpexilon_config_parser through pexilon/config.hpp: reads
// one or more configuration files into one config (each further file is
// appended, as a board's base file and its overrides are) and prints what the
// record holds. A faulty line is reported with the line an editor shows and
// the checker's reason (pexilon/check.hpp), and the rest is printed anyway.
//
// Built with exceptions it uses load() and append(), which throw; built with
// -fno-exceptions, their std::nothrow forms. Both print the same.
#include <cstdio>
#include <cstring>
#include <string_view>

#include <pexilon/check.hpp>
#include <pexilon/config.hpp>

namespace {

constexpr const char *usage =
    "usage: %s [--check] FILE...\n"
    "Reads each FILE ('-' for standard input) into one configuration\n"
    "and prints it. --check lists every diagnostic of each file first\n"
    "(it reads each file twice, so not '-').\n"
    "Exit status: 0 clean, 1 a faulty line, 2 a file that cannot be read.\n";

const char *kind_name(pexilon::kind k)
{
    switch (k) {
    case pexilon::kind::board:
        return "board";
    case pexilon::kind::register_:
        return "register";
    default:
        return "other";
    }
}

const char *variant_name(pexilon::variant v)
{
    switch (v) {
    case pexilon::variant::none:
        return "";
    case pexilon::variant::dev2:
        return "[dev2]";
    case pexilon::variant::dev3_inf3:
        return "[dev3][inf3]";
    case pexilon::variant::dev3_inf2:
        return "[dev3][inf2]";
    }
    return "[?]";
}

const char *key_name(pexilon::key k)
{
    switch (k) {
    case pexilon::key::reg:
        return "REG";
    case pexilon::key::vrcmd:
        return "VRCMD";
    case pexilon::key::delay:
        return "DELAY";
    }
    return "?";
}

int print_text(std::string_view text)
{
    return std::printf("%.*s", static_cast<int>(text.size()), text.data());
}

void print(const pexilon::config &cfg)
{
    const pexilon::camera_view cam = cfg.camera();
    std::printf("camera: ");
    print_text(cam.type());
    std::printf(" %ux%u, %u bits, format 0x%04x\n", cam.width(), cam.height(), cam.bit_width(),
                cam.format());
    for (const pexilon::entry e : cfg.entries()) {
        std::printf("%s%s %s:", kind_name(e.kind()), variant_name(e.variant()), key_name(e.key()));
        for (const std::uint32_t v : e.values())
            std::printf(" 0x%x", v);
        std::printf("\n");
    }
    for (const pexilon::control c : cfg.controls()) {
        std::printf("control ");
        print_text(c.name());
        std::printf(" (");
        print_text(c.function());
        std::printf("): %lld..%lld step %d default %lld", static_cast<long long>(c.min()),
                    static_cast<long long>(c.max()), c.step(), static_cast<long long>(c.def()));
        if (c.has_code())
            std::printf(", code of %zu bytes", c.code().size());
        std::printf("\n");
    }
}

// Prints every diagnostic of the file; false when it cannot be read.
bool print_check(const char *path)
{
    const pexilon::check_report report = pexilon::check(path, std::nothrow);
    for (const pexilon::diagnostic &d : report.diagnostics) {
        std::printf("%s:%zu:%zu: %s: %s [%s]\n", path, d.line, d.column,
                    d.severity == pexilon::severity::error ? "error" : "warning", d.message.c_str(),
                    d.name.c_str());
        for (const pexilon::note &n : d.notes)
            std::printf("%s:%zu:%zu: note: %s\n", path, n.line, n.column, n.message.c_str());
    }
    if (report.error)
        std::fprintf(stderr, "%s: %s\n", path, report.error.message().c_str());
    return !report.error;
}

// Reads every file into `cfg`; returns the exit status.
#if PEXILON_CXX_EXCEPTIONS
int read_files(pexilon::config &cfg, const char *const *paths, int count)
{
    int status = 0;
    for (int i = 0; i < count; ++i) {
        try {
            if (i == 0)
                cfg = pexilon::load(paths[i], pexilon::checker_reason);
            else
                cfg.append(paths[i], pexilon::checker_reason);
        } catch (pexilon::parse_error &e) {
            // The rest of the file was read: keep it.
            std::fprintf(stderr, "%s\n", e.what());
            if (i == 0)
                cfg = e.take_config();
            status = 1;
        } catch (const std::system_error &e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 2;
        }
    }
    return status;
}
#else
int read_files(pexilon::config &cfg, const char *const *paths, int count)
{
    int status = 0;
    for (int i = 0; i < count; ++i) {
        const pexilon::status s = cfg.append(paths[i], std::nothrow, pexilon::checker_reason);
        if (s.open_failed()) {
            std::fprintf(stderr, "%s: %s\n", paths[i], s.open_error().message().c_str());
            return 2;
        }
        if (s.faulty()) {
            std::fprintf(stderr, "%s:%zu: %s\n", paths[i], s.fault().line,
                         s.fault().reason.c_str());
            status = 1;
        }
    }
    return status;
}
#endif

} // namespace

int main(int argc, char **argv)
{
    int first = 1;
    bool check = false;
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        std::printf(usage, argv[0]);
        return std::fflush(stdout) == 0 ? 0 : 2;
    }
    if (argc > 1 && std::strcmp(argv[1], "--check") == 0) {
        check = true;
        ++first;
    }
    if (first >= argc || (argv[first][0] == '-' && argv[first][1] != '\0')) {
        std::fprintf(stderr, usage, argv[0]);
        return 2;
    }
    for (int i = first; i < argc; ++i) {
        if (std::strcmp(argv[i], "-") != 0)
            continue;
        if (check) {
            std::fprintf(stderr, usage, argv[0]);
            return 2;
        }
        argv[i] = const_cast<char *>("/dev/stdin");
    }

    if (check)
        for (int i = first; i < argc; ++i)
            if (!print_check(argv[i]))
                return 2;
    pexilon::config cfg;
    const int status = read_files(cfg, argv + first, argc - first);
    if (status != 2)
        print(cfg);
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        std::perror("standard output");
        return 2;
    }
    return status;
}
