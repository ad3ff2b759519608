// The store's file operations on POSIX systems. Paths arrive as Windows-1252 and are passed to
// the system as UTF-8; errors are described with strerror.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "store/cp1252.h"
#include "store/file_system.h"

namespace velmar {

namespace {

constexpr std::size_t kBlocco = 256 * 1024;

Esito ErroreSistema(int codice) {
    return Esito::Fallito(std::strerror(codice));
}

class Descrittore {
  public:
    explicit Descrittore(int fd) noexcept : fd_(fd) {}
    Descrittore(const Descrittore&) = delete;
    Descrittore& operator=(const Descrittore&) = delete;
    ~Descrittore() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const noexcept { return fd_; }
    int release() noexcept { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

class LetturaPosix final : public FileLettura {
  public:
    explicit LetturaPosix(int fd) : fd_(fd) {}
    Esito Leggi(char* buffer, std::size_t capacita, std::size_t& letti) override {
        for (;;) {
            const ssize_t n = ::read(fd_.get(), buffer, capacita);
            if (n >= 0) {
                letti = static_cast<std::size_t>(n);
                return Esito::Riuscito();
            }
            if (errno != EINTR)
                return ErroreSistema(errno);
        }
    }

  private:
    Descrittore fd_;
};

class ScritturaPosix final : public FileScrittura {
  public:
    explicit ScritturaPosix(int fd) : fd_(fd) {}
    Esito Scrivi(std::string_view dati) override {
        while (!dati.empty()) {
            const ssize_t n = ::write(fd_.get(), dati.data(), dati.size());
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return ErroreSistema(errno);
            }
            dati.remove_prefix(static_cast<std::size_t>(n));
        }
        return Esito::Riuscito();
    }
    Esito Chiudi() override {
        const int fd = fd_.release();
        if (fd >= 0 && ::close(fd) != 0)
            return ErroreSistema(errno);
        return Esito::Riuscito();
    }

  private:
    Descrittore fd_;
};

// Copies what is left of `in` to `out` through a buffer.
Esito CopiaALetture(int in, int out) {
    std::string buffer(kBlocco, '\0');
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return ErroreSistema(errno);
        }
        if (n == 0)
            return Esito::Riuscito();
        std::string_view resto(buffer.data(), static_cast<std::size_t>(n));
        while (!resto.empty()) {
            const ssize_t w = ::write(out, resto.data(), resto.size());
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return ErroreSistema(errno);
            }
            resto.remove_prefix(static_cast<std::size_t>(w));
        }
    }
}

std::string Nativo(const std::string& percorso) {
    return Utf8Da1252(percorso);
}

std::string CartellaDi(const std::string& percorso) {
    const auto pos = percorso.rfind('/');
    if (pos == std::string::npos)
        return ".";
    return pos == 0 ? "/" : percorso.substr(0, pos);
}

class FileSystemPosix final : public FileSystem {
  public:
    char Separatore() const noexcept override { return '/'; }
    bool PercorsoAssoluto(std::string_view percorso) const noexcept override {
        return !percorso.empty() && percorso.front() == '/';
    }

    Esito ApriLettura(const std::string& percorso, std::unique_ptr<FileLettura>& file,
                      bool& assente) override {
        const int fd = ::open(Nativo(percorso).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            assente = errno == ENOENT || errno == ENOTDIR;
            return ErroreSistema(errno);
        }
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
            ::close(fd);
            return ErroreSistema(EISDIR);
        }
        file = std::make_unique<LetturaPosix>(fd);
        return Esito::Riuscito();
    }

    Esito ApriScrittura(const std::string& percorso, ModoScrittura modo,
                        std::unique_ptr<FileScrittura>& file) override {
        const int flag =
            O_WRONLY | O_CREAT | O_CLOEXEC | (modo == ModoScrittura::Tronca ? O_TRUNC : O_APPEND);
        const int fd = ::open(Nativo(percorso).c_str(), flag, 0666);
        if (fd < 0)
            return ErroreSistema(errno);
        file = std::make_unique<ScritturaPosix>(fd);
        return Esito::Riuscito();
    }

    bool CartellaEsiste(const std::string& percorso) override {
        struct stat st {};
        return ::stat(Nativo(percorso).c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
               ::access(Nativo(percorso).c_str(), X_OK) == 0;
    }

    Esito Sostituisci(const std::string& origine, const std::string& destinazione) override {
        const std::string da = Nativo(origine);
        const std::string a = Nativo(destinazione);
        if (::rename(da.c_str(), a.c_str()) != 0)
            return ErroreSistema(errno);
        // Make the new name itself durable.
        Descrittore cartella(::open(CartellaDi(a).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (cartella.get() >= 0)
            (void)::fsync(cartella.get());
        return Esito::Riuscito();
    }

    Esito Copia(const std::string& origine, const std::string& destinazione) override {
        Descrittore in(::open(Nativo(origine).c_str(), O_RDONLY | O_CLOEXEC));
        if (in.get() < 0)
            return ErroreSistema(errno);
        Descrittore out(
            ::open(Nativo(destinazione).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
        if (out.get() < 0)
            return ErroreSistema(errno);
        // In the kernel where it can; by plain reads and writes where it cannot.
        bool nelKernel = true;
        for (;;) {
            const ssize_t n =
                nelKernel ? ::copy_file_range(in.get(), nullptr, out.get(), nullptr, 1 << 30, 0)
                          : -1;
            if (n > 0)
                continue;
            if (n == 0)
                break;
            if (nelKernel &&
                (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
                nelKernel = false;
                const Esito e = CopiaALetture(in.get(), out.get());
                if (!e)
                    return e;
                break;
            }
            if (errno != EINTR)
                return ErroreSistema(errno);
        }
        if (::fsync(out.get()) != 0)
            return ErroreSistema(errno);
        if (::close(out.release()) != 0)
            return ErroreSistema(errno);
        return Esito::Riuscito();
    }

    Esito Elimina(const std::string& percorso) override {
        if (::unlink(Nativo(percorso).c_str()) != 0)
            return ErroreSistema(errno);
        return Esito::Riuscito();
    }
};

}  // namespace

FileSystem& FileSystemDiSistema() {
    static FileSystemPosix fs;
    return fs;
}

}  // namespace velmar
