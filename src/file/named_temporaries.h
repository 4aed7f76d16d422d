// The named temporary files the program has open at this moment, so that a
// signal that ends the program (SIGINT, SIGTERM, SIGHUP) does not leave one
// beside the file it was meant to become. Files made without a name (O_TMPFILE)
// need none of this: the system removes them with the process, however it ends.
//
// While a name is held, each of the three signals that would end the program
// at once (its action is the default one) is caught: the handler removes every
// held name with unlink, the one async-signal-safe call it makes, and ends the
// program by the same signal. A program that handles the signals itself (the
// window, the terminal quiz) only notes them and carries on, so the write in
// progress finishes or fails on its own way, which removes its file.
#pragma once

#include <string>

class CNamedTemporary {
public:
    CNamedTemporary() = default;
    ~CNamedTemporary();
    CNamedTemporary(const CNamedTemporary&) = delete;
    CNamedTemporary& operator=(const CNamedTemporary&) = delete;

    // Holds path (made by the caller just now) until Release or Remove. False
    // when no more can be held; the caller then makes no file by that name.
    bool Hold(const std::string& path);
    // The file became what it was meant to be (renamed or linked): forgets it.
    void Release();
    // Removes the file and forgets it.
    void Remove();
    const std::string& Path() const { return m_strPath; }

private:
    int m_nSlot = -1;
    std::string m_strPath;
};

// Removes every name held now; safe to call from a signal handler.
void RemoveNamedTemporaries();
