// Build-time tool: writes the program icon (16 x 16 and 32 x 32, 32-bit with alpha) as an .ico
// file. Usage: genera_icona <output.ico>. Exits 1 when the file cannot be written.
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "window/immagini.h"

namespace {

void Aggiungi16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8 & 0xFF));
}

void Aggiungi32(std::string& out, std::uint32_t v) {
    Aggiungi16(out, v & 0xFFFF);
    Aggiungi16(out, v >> 16);
}

// One icon image: BITMAPINFOHEADER, bottom-up BGRA pixels with straight alpha, AND mask.
std::string ImmagineIcona(int lato) {
    const std::vector<std::uint32_t> pixel =
        velmar::DisegnaImmagine(velmar::Immagine::Programma, lato);
    const int rigaMaschera = (lato + 31) / 32 * 4;
    std::string out;
    Aggiungi32(out, 40);
    Aggiungi32(out, static_cast<std::uint32_t>(lato));
    Aggiungi32(out, static_cast<std::uint32_t>(lato * 2));  // colour and mask heights together
    Aggiungi16(out, 1);
    Aggiungi16(out, 32);
    Aggiungi32(out, 0);
    Aggiungi32(out, static_cast<std::uint32_t>(lato * lato * 4 + rigaMaschera * lato));
    for (int i = 0; i < 4; ++i)
        Aggiungi32(out, 0);
    for (int y = lato - 1; y >= 0; --y) {
        for (int x = 0; x < lato; ++x) {
            const std::uint32_t p = pixel[static_cast<std::size_t>(y) * lato + x];
            const std::uint32_t a = p >> 24;
            auto dritto = [a](std::uint32_t c) { return a == 0 ? 0 : (c * 255 + a / 2) / a; };
            Aggiungi32(out, a << 24 | dritto(p >> 16 & 0xFF) << 16 | dritto(p >> 8 & 0xFF) << 8 |
                                dritto(p & 0xFF));
        }
    }
    for (int y = lato - 1; y >= 0; --y) {
        std::string riga(static_cast<std::size_t>(rigaMaschera), '\0');
        for (int x = 0; x < lato; ++x) {
            if (pixel[static_cast<std::size_t>(y) * lato + x] >> 24 == 0) {
                riga[static_cast<std::size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
            }
        }
        out += riga;
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "uso: genera_icona <file.ico>\n";
        return 1;
    }
    const int lati[] = {16, 32};
    std::vector<std::string> immagini;
    for (int lato : lati)
        immagini.push_back(ImmagineIcona(lato));

    std::string out;
    Aggiungi16(out, 0);
    Aggiungi16(out, 1);  // icon
    Aggiungi16(out, static_cast<std::uint32_t>(immagini.size()));
    std::uint32_t posizione = static_cast<std::uint32_t>(6 + 16 * immagini.size());
    for (std::size_t i = 0; i < immagini.size(); ++i) {
        out.push_back(static_cast<char>(lati[i]));
        out.push_back(static_cast<char>(lati[i]));
        out.push_back(0);  // no palette
        out.push_back(0);
        Aggiungi16(out, 1);
        Aggiungi16(out, 32);
        Aggiungi32(out, static_cast<std::uint32_t>(immagini[i].size()));
        Aggiungi32(out, posizione);
        posizione += static_cast<std::uint32_t>(immagini[i].size());
    }
    for (const auto& immagine : immagini)
        out += immagine;

    std::ofstream f(argv[1], std::ios::binary | std::ios::trunc);
    f.write(out.data(), static_cast<std::streamsize>(out.size()));
    if (!f.flush()) {
        std::cerr << "genera_icona: impossibile scrivere " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
