#include "TCommEventChars.h"

#include "TCoreComm.h"

TCommEventChars::TCommEventChars(TCoreComm* owner) : FOwner(owner) {}

void TCommEventChars::Assign(const TCommEventChars& source) {
    FXOnChar = source.FXOnChar;
    FXOffChar = source.FXOffChar;
    FErrorChar = source.FErrorChar;
    FEofChar = source.FEofChar;
    FEvtChar = source.FEvtChar;
}

void TCommEventChars::SetChar(char& field, char value) {
    field = value;
    if (FOwner != nullptr) {
        FOwner->UpdateDataControlBlock();
    }
}
