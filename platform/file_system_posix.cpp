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

#include "platform/handles_posix.h"
#include "store/cp1252.h"
#include "store/file_system.h"

namespace velmar {

namespace {

constexpr std::size_t kBlocco = 256 * 1024;
constexpr auto kPausaBlocco = std::chrono::milliseconds(50);

// The system's description of an error; a missing file or folder is Assente.
Errore ErroreSistema(int codice) {
    const bool assente = codice == ENOENT || codice == ENOTDIR;
    return Errore(assente ? TipoErrore::Assente : TipoErrore::Sistema, std::strerror(codice));
}

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
    return {};
}

class LetturaPosix final : public FileLettura {
  public:
    LetturaPosix(unique_fd fd, std::uint64_t dimensione)
        : fd_(std::move(fd)), dimensione_(dimensione) {}
    std::uint64_t Dimensione() const noexcept override { return dimensione_; }
    Risultato<std::size_t> Leggi(std::uint64_t posizione, char* buffer,
                                 std::size_t capacita) override {
        for (;;) {
            const ssize_t n = ::pread(fd_.get(), buffer, capacita, static_cast<off_t>(posizione));
            if (n >= 0)
                return static_cast<std::size_t>(n);
            if (errno != EINTR)
                return ErroreSistema(errno);
        }
    }

  private:
    unique_fd fd_;
    std::uint64_t dimensione_;
};

class ScritturaPosix final : public FileScrittura {
  public:
    explicit ScritturaPosix(unique_fd fd) : fd_(std::move(fd)) {}
    Esito Scrivi(std::string_view dati) override { return ScriviTutto(fd_.get(), dati); }
    Esito Chiudi() override {
        if (!fd_.close())
            return ErroreSistema(errno);
        return {};
    }

  private:
    unique_fd fd_;
};

class BloccoPosix final : public Blocco {
  public:
    explicit BloccoPosix(unique_fd fd) : fd_(std::move(fd)) {}

  private:
    unique_fd fd_;  // closing it releases the lock
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
            return {};
        if (Esito e =
                ScriviTutto(out, std::string_view(buffer.data(), static_cast<std::size_t>(n)));
            !e) {
            return e;
        }
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
            return {};
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
Risultato<unique_fd> CreaEsclusivo(const std::string& nativo) {
    for (int tentativo = 0;; ++tentativo) {
        unique_fd fd(
            ::open(nativo.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (fd)
            return fd;
        if (errno != EEXIST || tentativo > 0)
            return ErroreSistema(errno);
        struct stat st {};
        if (::lstat(nativo.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            return Errore(TipoErrore::Sistema, std::string(kAlPostoCartella));
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
    return {};
}

class FileSystemPosix final : public FileSystem {
  public:
    char Separatore() const noexcept override { return '/'; }
    bool PercorsoAssoluto(std::string_view percorso) const noexcept override {
        return !percorso.empty() && percorso.front() == '/';
    }

    Risultato<std::unique_ptr<FileLettura>> ApriLettura(const std::string& percorso) override {
        // Non-blocking, so that opening a FIFO does not wait for a writer.
        unique_fd fd(::open(Nativo(percorso).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (!fd)
            return ErroreSistema(errno);
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0)
            return ErroreSistema(errno);
        if (S_ISDIR(st.st_mode))
            return ErroreSistema(EISDIR);
        if (!S_ISREG(st.st_mode))
            return Errore(TipoErrore::Sistema, std::string(kNonFileRegolare));
        const int flag = ::fcntl(fd.get(), F_GETFL);
        if (flag < 0 || ::fcntl(fd.get(), F_SETFL, flag & ~O_NONBLOCK) != 0)
            return ErroreSistema(errno);
        return std::unique_ptr<FileLettura>(
            std::make_unique<LetturaPosix>(std::move(fd), static_cast<std::uint64_t>(st.st_size)));
    }

    TipoVoce Tipo(const std::string& percorso) override {
        struct stat st {};
        if (::stat(Nativo(percorso).c_str(), &st) != 0)
            return TipoVoce::Assente;
        if (S_ISDIR(st.st_mode))
            return TipoVoce::Cartella;
        return S_ISREG(st.st_mode) ? TipoVoce::File : TipoVoce::Altro;
    }

    Risultato<std::unique_ptr<Blocco>> Blocca(const std::string& percorso,
                                              std::chrono::milliseconds attesa) override {
        const std::string nativo = Nativo(percorso);
        unique_fd fd(::open(nativo.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
        if (!fd && errno == ENOENT) {
            // Made here: every user who saves into the package must be able to lock it, so the
            // empty file is writable by all, whatever this process's umask.
            unique_fd nuovo(
                ::open(nativo.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
            if (nuovo)
                (void)::fchmod(nuovo.get(), 0666);
            else if (errno == EEXIST)
                nuovo.reset(::open(nativo.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
            fd = std::move(nuovo);
        }
        if (!fd)
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
                return Errore(TipoErrore::Occupato, std::strerror(errno == EINTR ? EAGAIN : errno));
            }
            std::this_thread::sleep_for(kPausaBlocco);
        }
        return std::unique_ptr<Blocco>(std::make_unique<BloccoPosix>(std::move(fd)));
    }

    Risultato<std::unique_ptr<FileScrittura>> CreaNuovo(const std::string& percorso) override {
        Risultato<unique_fd> fd = CreaEsclusivo(Nativo(percorso));
        if (!fd)
            return std::move(fd).Errore();
        return std::unique_ptr<FileScrittura>(std::make_unique<ScritturaPosix>(*std::move(fd)));
    }

    Esito Copia(const std::string& origine, const std::string& destinazione,
                const std::string& sostituendo) override {
        struct stat modello {};
        const bool conModello = ::stat(Nativo(sostituendo).c_str(), &modello) == 0;
        if (conModello && SolaLettura(modello))
            return Errore(TipoErrore::Sistema, std::string(kSolaLettura));
        unique_fd in(::open(Nativo(origine).c_str(), O_RDONLY | O_CLOEXEC));
        if (!in)
            return ErroreSistema(errno);
        const std::string nativo = Nativo(destinazione);
        Risultato<unique_fd> creato = CreaEsclusivo(nativo);
        if (!creato)
            return std::move(creato).Errore();
        unique_fd out = *std::move(creato);
        Esito e;
        if (conModello)
            e = CopiaPermessi(out.get(), modello);
        if (e)
            e = CopiaDati(in.get(), out.get());
        if (e && ::fsync(out.get()) != 0)
            e = ErroreSistema(errno);
        if (e && !out.close())
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
        const unique_fd cartella(::open(CartellaDi(a).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (cartella)
            (void)::fsync(cartella.get());
        return {};
    }

    Esito Elimina(const std::string& percorso) override {
        if (::unlink(Nativo(percorso).c_str()) != 0)
            return ErroreSistema(errno);
        return {};
    }
};

}  // namespace

FileSystem& FileSystemDiSistema() {
    static FileSystemPosix fs;
    return fs;
}

}  // namespace velmar
