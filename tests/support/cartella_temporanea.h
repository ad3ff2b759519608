// A fresh folder under the system's temporary folder, removed with everything in it.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
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
        std::error_code ec;
        std::filesystem::permissions(percorso_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(percorso_, ec);
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
