#pragma once

// The two values kept between runs: the port number "Comm" and the language "Lang", stored with
// QSettings("Merka", "Durorude") (~/.config/Merka/Durorude.conf).
//
// Reading never creates anything. The values are read in order, "Comm" then "Lang"; the first one
// that is missing, not a number or out of range ends the reading, and it and the rest keep their
// defaults (port 1, language 0). So "Lang" without "Comm" gives language 0.
class PersistedSettings {
public:
    struct Values {
        int Comm = 1;
        int Lang = 0;
    };

    static constexpr int MinComm = 1;
    static constexpr int MaxComm = 1024 + 1023; // COM 1..1023, FTDI 1024 + index
    static constexpr int MinLang = 0;
    static constexpr int MaxLang = 4;

    static Values Read();
    // Writes both values (creating the file when it is missing). False when the store failed.
    static bool Write(int comm, int lang);
};
