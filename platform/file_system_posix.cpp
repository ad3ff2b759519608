// The store's file operations on POSIX systems. Paths arrive as Windows-1252 and are passed to
// the system as UTF-8; errors are described with strerror.
// New files are created exclusively and never through a link (O_EXCL | O_NOFOLLOW); a
// replacement takes the mode and, where the process may, the owner of the file it replaces.
// The package lock is a record lock: an open-file-description lock where the system has them
// (Linux), so that no other descriptor of the same file can drop it, a classic one elsewhere.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>

#include "store/cp1252.h"
#include "store/file_system.h"

namespace velmar {

namespace {

constexpr std::size_t kBlocco = 256 * 1024;
constexpr auto kPausaBlocco = std::chrono::milliseconds(50);

Esito ErroreSistema(int codice) {
    return Esito::Fallito(std::strerror(codice));
}

class Descrittore {
  public:
    explicit Descrittore(int fd) noexcept : fd_(fd) {}
    Descrittore(const Descrittore&) = delete;
    Descrittore& operator=(const Descrittore&) = delete;
    Descrittore(Descrittore&& altro) noexcept : fd_(altro.release()) {}
    Descrittore& operator=(Descrittore&& altro) noexcept {
        if (this != &altro) {
            if (fd_ >= 0)
                ::close(fd_);
            fd_ = altro.release();
        }
        return *this;
    }
    ~Descrittore() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const noexcept { return fd_; }
    int release() noexcept { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

Esito ScriviTutto(int fd, std::string_view dati) {
    while (!dati.empty()) {
        const ssize_t n = ::write(fd, dati.data(), dati.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return ErroreSistema(errno);
        }
        dati.remove_prefix(static_cast<std::size_t>(n));
    }
    return Esito::Riuscito();
}

class LetturaPosix final : public FileLettura {
  public:
    LetturaPosix(int fd, std::uint64_t dimensione) : fd_(fd), dimensione_(dimensione) {}
    std::uint64_t Dimensione() const noexcept override { return dimensione_; }
    Esito Leggi(std::uint64_t posizione, char* buffer, std::size_t capacita,
                std::size_t& letti) override {
        for (;;) {
            const ssize_t n = ::pread(fd_.get(), buffer, capacita, static_cast<off_t>(posizione));
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
    std::uint64_t dimensione_;
};

class ScritturaPosix final : public FileScrittura {
  public:
    explicit ScritturaPosix(int fd) : fd_(fd) {}
    Esito Scrivi(std::string_view dati) override { return ScriviTutto(fd_.get(), dati); }
    Esito Chiudi() override {
        const int fd = fd_.release();
        if (fd >= 0 && ::close(fd) != 0)
            return ErroreSistema(errno);
        return Esito::Riuscito();
    }

  private:
    Descrittore fd_;
};

class BloccoPosix final : public Blocco {
  public:
    explicit BloccoPosix(int fd) : fd_(fd) {}

  private:
    Descrittore fd_;  // closing it releases the lock
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
        const Esito e =
            ScriviTutto(out, std::string_view(buffer.data(), static_cast<std::size_t>(n)));
        if (!e)
            return e;
    }
}

// Copies what is left of `in` to `out`: in the kernel where it can, by reads and writes where
// it cannot.
Esito CopiaDati(int in, int out) {
#ifdef __linux__
    for (;;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (n > 0)
            continue;
        if (n == 0)
            return Esito::Riuscito();
        if (errno == EINTR)
            continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)
            break;
        return ErroreSistema(errno);
    }
#endif
    return CopiaALetture(in, out);
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

bool SolaLettura(const struct stat& st) noexcept {
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// A new file at `nativo`, created exclusively: what stands at the name (a file or a link,
// never what a link points to) is removed first.
Esito CreaEsclusivo(const std::string& nativo, int& fd) {
    for (int tentativo = 0;; ++tentativo) {
        fd = ::open(nativo.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0)
            return Esito::Riuscito();
        if (errno != EEXIST || tentativo > 0)
            return ErroreSistema(errno);
        struct stat st {};
        if (::lstat(nativo.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            return Esito::Fallito("al suo posto c'\xE8 una cartella");
        if (::unlink(nativo.c_str()) != 0 && errno != ENOENT)
            return ErroreSistema(errno);
    }
}

// Gives the file of `fd` the mode and, where the process may, the owner and group of `st`.
Esito CopiaPermessi(int fd, const struct stat& st) {
    if (::fchown(fd, st.st_uid, st.st_gid) != 0 && errno == EPERM) {
        // Not allowed to give the file away: keep at least the group, where we may.
        (void)::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
    }
    if (::fchmod(fd, st.st_mode & 07777) != 0)
        return ErroreSistema(errno);
    return Esito::Riuscito();
}

class FileSystemPosix final : public FileSystem {
  public:
    char Separatore() const noexcept override { return '/'; }
    bool PercorsoAssoluto(std::string_view percorso) const noexcept override {
        return !percorso.empty() && percorso.front() == '/';
    }

    Esito ApriLettura(const std::string& percorso, std::unique_ptr<FileLettura>& file,
                      bool& assente) override {
        // Non-blocking, so that opening a FIFO does not wait for a writer.
        Descrittore fd(::open(Nativo(percorso).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (fd.get() < 0) {
            assente = errno == ENOENT || errno == ENOTDIR;
            return ErroreSistema(errno);
        }
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0)
            return ErroreSistema(errno);
        if (S_ISDIR(st.st_mode))
            return ErroreSistema(EISDIR);
        if (!S_ISREG(st.st_mode))
            return Esito::Fallito("non \xE8 un file regolare");
        const int flag = ::fcntl(fd.get(), F_GETFL);
        if (flag < 0 || ::fcntl(fd.get(), F_SETFL, flag & ~O_NONBLOCK) != 0)
            return ErroreSistema(errno);
        file = std::make_unique<LetturaPosix>(fd.release(), static_cast<std::uint64_t>(st.st_size));
        return Esito::Riuscito();
    }

    TipoVoce Tipo(const std::string& percorso) override {
        struct stat st {};
        if (::stat(Nativo(percorso).c_str(), &st) != 0)
            return TipoVoce::Assente;
        if (S_ISDIR(st.st_mode))
            return TipoVoce::Cartella;
        return S_ISREG(st.st_mode) ? TipoVoce::File : TipoVoce::Altro;
    }

    Esito Blocca(const std::string& percorso, std::chrono::milliseconds attesa,
                 std::unique_ptr<Blocco>& blocco, bool& occupato) override {
        occupato = false;
        const std::string nativo = Nativo(percorso);
        Descrittore fd(::open(nativo.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
        if (fd.get() < 0 && errno == ENOENT) {
            // Made here: every user who saves into the package must be able to lock it, so the
            // empty file is writable by all, whatever this process's umask.
            Descrittore nuovo(
                ::open(nativo.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
            if (nuovo.get() >= 0)
                (void)::fchmod(nuovo.get(), 0666);
            else if (errno == EEXIST)
                nuovo = Descrittore(::open(nativo.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
            fd = std::move(nuovo);
        }
        if (fd.get() < 0)
            return ErroreSistema(errno);
        const auto scadenza = std::chrono::steady_clock::now() + attesa;
        for (;;) {
            struct flock fl {};
            fl.l_type = F_WRLCK;
            fl.l_whence = SEEK_SET;
            fl.l_start = 0;
            fl.l_len = 1;
#ifdef F_OFD_SETLK
            int r = ::fcntl(fd.get(), F_OFD_SETLK, &fl);
            if (r != 0 && errno == EINVAL)
                r = ::fcntl(fd.get(), F_SETLK, &fl);  // a kernel without them
#else
            const int r = ::fcntl(fd.get(), F_SETLK, &fl);
#endif
            if (r == 0)
                break;
            if (errno != EAGAIN && errno != EACCES && errno != EINTR)
                return ErroreSistema(errno);
            if (std::chrono::steady_clock::now() >= scadenza) {
                occupato = true;
                return ErroreSistema(errno == EINTR ? EAGAIN : errno);
            }
            std::this_thread::sleep_for(kPausaBlocco);
        }
        blocco = std::make_unique<BloccoPosix>(fd.release());
        return Esito::Riuscito();
    }

    Esito CreaNuovo(const std::string& percorso, std::unique_ptr<FileScrittura>& file) override {
        int fd = -1;
        const Esito e = CreaEsclusivo(Nativo(percorso), fd);
        if (!e)
            return e;
        file = std::make_unique<ScritturaPosix>(fd);
        return Esito::Riuscito();
    }

    Esito Copia(const std::string& origine, const std::string& destinazione,
                const std::string& sostituendo) override {
        struct stat modello {};
        const bool conModello = ::stat(Nativo(sostituendo).c_str(), &modello) == 0;
        if (conModello && SolaLettura(modello))
            return Esito::Fallito("il file \xE8 di sola lettura");
        Descrittore in(::open(Nativo(origine).c_str(), O_RDONLY | O_CLOEXEC));
        if (in.get() < 0)
            return ErroreSistema(errno);
        const std::string nativo = Nativo(destinazione);
        int fd = -1;
        Esito e = CreaEsclusivo(nativo, fd);
        if (!e)
            return e;
        Descrittore out(fd);
        if (conModello)
            e = CopiaPermessi(out.get(), modello);
        if (e)
            e = CopiaDati(in.get(), out.get());
        if (e && ::fsync(out.get()) != 0)
            e = ErroreSistema(errno);
        if (e && ::close(out.release()) != 0)
            e = ErroreSistema(errno);
        if (!e)
            ::unlink(nativo.c_str());  // the file this copy made, not a file left by another
        return e;
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
