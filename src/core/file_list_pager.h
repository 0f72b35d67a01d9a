#pragma once

#include <QtGlobal>

// Where one page lies in a list of total entries. Page numbers count from 1. A page size below 1,
// a page number outside 1..pageCount, or numbers whose product would overflow select nothing;
// pageCount is then still the usual one (0 when the page size is below 1, as no page holds
// anything).
struct PageSlice
{
    qint64 pageCount = 0;
    qint64 start = 0; // index of the first entry of the page
    qint64 count = 0; // entries on the page; 0 for an empty page

    static PageSlice of(qint64 total, qint64 pageIndex, qint64 pageSize);
};
