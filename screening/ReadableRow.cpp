#include "ReadableRow.h"

#include "filters/Classify.h"
#include "platform/HeaderDecode.h"

void AddReadableTexts(MessageRow& row)
{
    using platform::DecodeHeaderText;
    row.m_sSubjectText = DecodeHeaderText(row.m_sSubject);
    row.m_sFromText = DecodeHeaderText(row.m_sFrom);
    row.m_sToText = DecodeHeaderText(row.m_sTo);
    row.m_sCCText = DecodeHeaderText(row.m_sCC);
}

int ClassifyRow(const FilterLists& lists, MessageRow& row)
{
    Verdict verdict = Classify(lists, row.m_sSubject, row.m_sSubjectText, row.m_sSize, row.m_sEmail);
    row.m_sReason = std::move(verdict.m_sReason);
    return verdict.m_bSuspect ? 1 : 0;
}
