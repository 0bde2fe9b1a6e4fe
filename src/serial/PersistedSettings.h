#pragma once

#include <QString>

// The two values kept between runs: the port number "Comm" and the language "Lang", stored with
// QSettings("Merka", "Durorude") (~/.config/Merka/Durorude.conf).
//
// Reading never creates anything; a damaged line in the file loses only itself. The values are
// read in order, "Comm" then "Lang"; the first one that is missing or not a whole 32-bit number
// ends the reading, and it and the rest keep their defaults (port 1, language 0). So "Lang" without
// "Comm" gives language 0. Any number is taken as it stands: the port opener turns a port below 1
// into 1, and the language switch shows English for a number that names no language.
class PersistedSettings {
public:
    struct Values {
        int Comm = 1;
        int Lang = 0;
    };

    // False when the user has no folder of their own to keep them in (see UserHome): Read then
    // gives the defaults and Write stores nothing.
    static bool Storable();
    // Where the values are kept, as the user would look for it (the file, or the registry key).
    static QString Location();
    // False when the store cannot take them now, found without writing anything: the file (or,
    // while it does not exist, the folder it would be made in) cannot be written. The
    // settings then last for this run only.
    static bool Writable();
    static Values Read();
    // Writes both values (creating the file when it is missing, dropping damaged lines of an
    // existing one). False when they could not be stored (the folder or file is not writable).
    static bool Write(int comm, int lang);
};
