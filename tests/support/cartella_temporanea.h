// A fresh folder under the system's temporary folder, removed with everything in it.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <chrono>
#include <thread>
#include <vector>
#include <string>

namespace velmar::test {

class CartellaTemporanea {
  public:
    CartellaTemporanea() {
        std::random_device rd;
        percorso_ = std::filesystem::temp_directory_path() /
                    ("velmar-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(percorso_);
    }
    CartellaTemporanea(const CartellaTemporanea&) = delete;
    CartellaTemporanea& operator=(const CartellaTemporanea&) = delete;
    ~CartellaTemporanea() {
        // Not std::filesystem::remove_all: on Windows it can loop for ever on a file whose
        // deletion is pending while a process that has just ended still holds it.
        for (int tentativo = 0; tentativo < 50 && Rimuovi(percorso_); ++tentativo) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    const std::filesystem::path& Percorso() const noexcept { return percorso_; }
    // The folder as the store's text (ASCII in tests).
    std::string Testo() const { return percorso_.string(); }

    std::filesystem::path Crea(const std::string& cartella) const {
        auto p = percorso_ / cartella;
        std::filesystem::create_directories(p);
        return p;
    }

  private:
    // Removes a folder and what it holds, each entry once; true when something is left.
    static bool Rimuovi(const std::filesystem::path& cartella) {
        std::error_code ec;
        std::vector<std::filesystem::path> voci;
        for (std::filesystem::directory_iterator it(cartella, ec), fine; !ec && it != fine;
             it.increment(ec)) {
            voci.push_back(it->path());
        }
        for (const auto& v : voci) {
            std::filesystem::permissions(v, std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
            if (std::filesystem::is_directory(std::filesystem::symlink_status(v, ec))) {
                Rimuovi(v);
            }
            std::filesystem::remove(v, ec);
        }
        std::filesystem::remove(cartella, ec);
        return std::filesystem::exists(cartella, ec);
    }

    std::filesystem::path percorso_;
};

inline void ScriviTesto(const std::filesystem::path& p, const std::string& dati) {
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(dati.data(), static_cast<std::streamsize>(dati.size()));
}

inline std::string LeggiTesto(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary | std::ios::ate);
    if (!f)
        return {};
    std::string dati(static_cast<std::size_t>(f.tellg()), '\0');
    f.seekg(0);
    f.read(dati.data(), static_cast<std::streamsize>(dati.size()));
    return dati;
}

}  // namespace velmar::test
