#pragma once
// Next year's statement from last year's, as a company starts it every
// spring: last year's figures become the previous year's, the company, its
// auditor and the orderer stay, what belongs to one year only is cleared.

class CUzData;

// Fills `next` from `last`. `next` is cleared first, its marks too; its
// failed-rule lists stay as they are until the next check, as after a load.
void CarryOver(const CUzData& last, CUzData& next);
