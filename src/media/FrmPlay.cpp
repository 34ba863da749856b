#include "media/FrmPlay.h"

FrmPlay::FrmPlay() {
    setAttribute(Qt::WA_DeleteOnClose);
}

FrmPlay::~FrmPlay() = default;
