#pragma once

class TCoreComm;

// The five special characters of the line. Changing one rewrites the owner's line settings.
class TCommEventChars {
public:
    explicit TCommEventChars(TCoreComm* owner);

    char XOnChar() const { return FXOnChar; }
    char XOffChar() const { return FXOffChar; }
    char ErrorChar() const { return FErrorChar; }
    char EofChar() const { return FEofChar; }
    char EvtChar() const { return FEvtChar; }

    void SetXOnChar(char value) { SetChar(FXOnChar, value); }
    void SetXOffChar(char value) { SetChar(FXOffChar, value); }
    void SetErrorChar(char value) { SetChar(FErrorChar, value); }
    void SetEofChar(char value) { SetChar(FEofChar, value); }
    void SetEvtChar(char value) { SetChar(FEvtChar, value); }

    // Copies the five characters without touching the device.
    void Assign(const TCommEventChars& source);

private:
    void SetChar(char& field, char value);

    TCoreComm* FOwner;
    char FXOnChar = 17;
    char FXOffChar = 19;
    char FErrorChar = 0;
    char FEofChar = 0;
    char FEvtChar = 0;
};
