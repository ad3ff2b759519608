// A DRDA server made for the tests, listening on a loopback address (127.0.0.1 unless told
// another of 127.0.0.0/8, or ::1) on a port of its own: it answers EXCSAT as a DB2 server would, or
// misbehaves in one of the ways a check must survive. It runs on a thread of its own, natively
// and under Wine alike, until it is destroyed.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velmar::test {

enum class Copione {
    Db2Nt64,         // QDB2/NT64, SQL11055
    Db2LinuxX8664,   // QDB2/LINUXX8664, SQL11055
    Db2Aix64,        // QDB2/AIX64, SQL10059
    Db2ZOs,          // QDB2, DSN12015
    Silenzioso,      // accepts, reads, never answers
    ChiudeSubito,    // accepts and closes at once
    Spazzatura,      // answers as a web server would
    DssTroncata,     // sends the first half of a DB2 reply, then nothing
    LunghezzeFalse,  // a whole DSS whose server class parameter runs past its object
};

class ServerDrda {
  public:
    // Listens on `indirizzo`:`porta` (0: a free port); `ritardo` before each answer.
    explicit ServerDrda(Copione copione, std::string indirizzo = "127.0.0.1",
                        std::uint16_t porta = 0,
                        std::chrono::milliseconds ritardo = std::chrono::milliseconds(0));
    ServerDrda(const ServerDrda&) = delete;
    ServerDrda& operator=(const ServerDrda&) = delete;
    // Stops listening and closes every connection.
    ~ServerDrda();

    // False when the address and port could not be taken.
    [[nodiscard]] bool Attivo() const noexcept { return porta_ != 0; }
    [[nodiscard]] std::uint16_t Porta() const noexcept { return porta_; }
    // Connections accepted so far.
    [[nodiscard]] int Connessioni() const noexcept { return connessioni_; }
    // The bytes of each request received, in order.
    [[nodiscard]] std::vector<std::vector<unsigned char>> Richieste();

    // The reply the script sends, or nothing for the scripts that send none.
    [[nodiscard]] static std::vector<unsigned char> Risposta(Copione copione);

  private:
    void Ascolta() noexcept;
    void Servi(std::intptr_t presa);

    Copione copione_;
    std::chrono::milliseconds ritardo_;
    std::intptr_t ascolto_ = -1;
    std::uint16_t porta_ = 0;
    std::atomic<bool> fine_{false};
    std::atomic<int> connessioni_{0};
    std::mutex m_;
    std::vector<std::vector<unsigned char>> richieste_;
    std::vector<std::intptr_t> aperte_;  // the connections left open
    std::thread filo_;
};

// A loopback port on which nothing listens (taken and let go again).
[[nodiscard]] std::uint16_t PortaLibera();

}  // namespace velmar::test
