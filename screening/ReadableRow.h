#pragma once

#include "screening/MessageRow.h"

class FilterLists;

// Fills the row's texts for people (m_sSubjectText, m_sFromText, m_sToText,
// m_sCCText) from its raw column texts, decoded for display.
void AddReadableTexts(MessageRow& row);

// Classifies the row (decoded texts already added) with the lists, keeps the
// reason in m_sReason and returns 1 when it is suspect, else 0.
int ClassifyRow(const FilterLists& lists, MessageRow& row);
