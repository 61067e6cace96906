#include "engine/input/column_evidence.h"

#include <algorithm>
#include <cmath>

#include "engine/text/text_folding.h"
#include "engine/text/field_names.h"

// How the columns get their roles. A price column is a column of positive numbers that no heading names as
// something else. Of the price columns that lie together (their values within a factor of two on most
// rows), the high is the one that is the largest on every row and the low the one that is the smallest
// (one row in fifty may disagree: real data has such rows, and they are reported). The open and the close
// are the columns between them: named by their headings, or told apart by the values, where the open of
// each row lies much nearer the close of the row before than the close lies to the open before. Headings
// name columns only where the values agree; a choice the values leave open is refused with the options
// that settle it.

namespace engine {

using namespace metastock;

namespace {


bool Present(double value)
{
    return !std::isnan(value);
}

bool Same(double a, double b)
{
    return std::fabs(a - b) <= 1e-6 * std::max(std::fabs(a), std::fabs(b));
}

std::string ColumnList(const std::vector<const ColumnValues*>& columns)
{
    std::string text;
    for (std::size_t i = 0; i < columns.size(); ++i)
        text += (i == 0 ? "" : i + 1 == columns.size() ? " and " : ", ") + std::to_string(columns[i]->column);
    return (columns.size() == 1 ? "column " : "columns ") + text;
}

// The rows, of those where all of the columns have a value.
std::size_t RowsWithAll(const std::vector<const ColumnValues*>& columns)
{
    if (columns.empty())
        return 0;
    std::size_t count = 0;
    for (std::size_t r = 0; r < columns[0]->values.size(); ++r)
        count += std::all_of(columns.begin(), columns.end(), [r](const ColumnValues* c) { return Present(c->values[r]); })
                     ? 1
                     : 0;
    return count;
}

// Bad rows that real data has: one in fifty, and none in a handful of rows.
std::size_t AllowedBadRows(std::size_t rows)
{
    return rows >= 20 ? std::max<std::size_t>(1, rows / 50) : 0;
}

// Rows on which column a is below (bHigh) or above (!bHigh) another of the group.
std::size_t BoundViolations(const ColumnValues& a, const std::vector<const ColumnValues*>& group, bool bHigh)
{
    std::size_t count = 0;
    for (std::size_t r = 0; r < a.values.size(); ++r) {
        if (!Present(a.values[r]))
            continue;
        for (const ColumnValues* other : group) {
            const double v = other->values[r];
            if (other == &a || !Present(v))
                continue;
            if (bHigh ? (a.values[r] < v && !Same(a.values[r], v)) : (a.values[r] > v && !Same(a.values[r], v))) {
                ++count;
                break;
            }
        }
    }
    return count;
}

// Rows on which the high is below another price of the group or the low above one.
std::size_t RowsOutside(const ColumnValues& high, const ColumnValues& low, const std::vector<const ColumnValues*>& group)
{
    std::size_t count = 0;
    for (std::size_t r = 0; r < high.values.size(); ++r) {
        bool bOutside = false;
        for (const ColumnValues* other : group) {
            const double v = other->values[r];
            if (!Present(v))
                continue;
            bOutside = bOutside || (Present(high.values[r]) && high.values[r] < v && !Same(high.values[r], v)) ||
                       (Present(low.values[r]) && low.values[r] > v && !Same(low.values[r], v));
        }
        count += bOutside ? 1 : 0;
    }
    return count;
}

// Whether a and b differ on some row: a column that never differs from another is not told apart from it.
bool Differ(const ColumnValues& a, const ColumnValues& b)
{
    for (std::size_t r = 0; r < a.values.size(); ++r)
        if (Present(a.values[r]) && Present(b.values[r]) && !Same(a.values[r], b.values[r]))
            return true;
    return false;
}

bool Copies(const ColumnValues& a, const ColumnValues& b)
{
    return RowsWithAll({&a, &b}) > 0 && !Differ(a, b);
}

// Two columns lie together when on most rows the larger is at most twice the smaller.
bool LieTogether(const ColumnValues& a, const ColumnValues& b)
{
    std::size_t near = 0;
    std::size_t rows = 0;
    for (std::size_t r = 0; r < a.values.size(); ++r) {
        const double x = a.values[r];
        const double y = b.values[r];
        if (!Present(x) || !Present(y) || x <= 0 || y <= 0)
            continue;
        ++rows;
        near += std::max(x, y) <= 2 * std::min(x, y) ? 1 : 0;
    }
    return rows > 0 && near * 10 >= rows * 9;
}

// Which of a and b is the open: +1 a, -1 b, 0 the values do not tell. Each row's open follows the close of
// the row before (a gap at most), while the close lies a whole bar's move from the open before.
int OpenOfTwo(const ColumnValues& a, const ColumnValues& b)
{
    double aFollowsB = 0;  // a is the open
    double bFollowsA = 0;
    int pairs = 0;
    for (std::size_t r = 1; r < a.values.size(); ++r) {
        if (!Present(a.values[r]) || !Present(b.values[r]) || !Present(a.values[r - 1]) || !Present(b.values[r - 1]))
            continue;
        aFollowsB += std::fabs(a.values[r] - b.values[r - 1]);
        bFollowsA += std::fabs(b.values[r] - a.values[r - 1]);
        ++pairs;
    }
    if (pairs < 10)
        return 0;
    if (aFollowsB * 2 <= bFollowsA && bFollowsA > 0)
        return 1;
    if (bFollowsA * 2 <= aFollowsB && aFollowsB > 0)
        return -1;
    return 0;
}

class CRoleFinder {
public:
    explicit CRoleFinder(const std::vector<ColumnValues>& columns) : m_columns(columns) {}

    ColumnRoles Find()
    {
        if (FindPrices() && FindVolume())
            FindOpenInterest();
        return std::move(m_roles);
    }

private:
    // The column whose heading names a role, of those whose cells a run reads: a price column may be empty
    // on the old rows of a long history, a volume empty on every row.
    const ColumnValues* Named(HeadingRole role) const
    {
        const bool bCount = role == HeadingRole::kVolume || role == HeadingRole::kOpenInterest || role == HeadingRole::kOpen ||
                            role == HeadingRole::kHigh || role == HeadingRole::kLow;
        const ColumnValues* partial = nullptr;
        const ColumnValues* whole = nullptr;
        for (const ColumnValues& column : m_columns)
            if (column.role == role && column.readable && (bCount || RowsWithAll({&column}) > 0) && !Taken(column)) {
                // A count of ticks is a volume only where no column holds the real one.
                const bool bTicks = FoldedText(column.heading).rfind("tick", 0) == 0;
                if (column.wholeHeading && (!whole || (FoldedText(whole->heading).rfind("tick", 0) == 0 && !bTicks)))
                    whole = &column;
                partial = partial ? partial : &column;
            }
        return whole ? whole : partial;
    }

    bool Taken(const ColumnValues& column) const
    {
        for (const FieldEvidence& field : m_roles.fields)
            if (field.column == column.column)
                return true;
        return false;
    }

    void Take(int nField, const ColumnValues& column, EvidenceSource source, std::string reason)
    {
        FieldEvidence& field = m_roles.fields[nField];
        field.column = column.column;
        field.source = source;
        field.heading = column.heading;
        field.reason = source == EvidenceSource::kHeading && reason.empty()
                              ? std::string(kFieldTitles[nField]) + " from " + column.heading
                              : std::move(reason);
    }

    bool Refuse(std::string problem, std::vector<int> fields)
    {
        m_roles.problem = std::move(problem);
        for (const int nField : fields)
            m_roles.openChoices.push_back(ColumnChoice(nField));
        return false;
    }

    // The named close, else the adjusted close, else the settlement price.
    const ColumnValues* NamedClose() const
    {
        for (const HeadingRole role : {HeadingRole::kClose, HeadingRole::kAdjustedClose, HeadingRole::kSettle})
            if (const ColumnValues* column = Named(role); column && column->positive)
                return column;
        return nullptr;
    }

    // Of two named columns, the one the note says was not taken: "volume taken from <VOL>, not <TICKVOL>".
    void NoteOther(HeadingRole role, const ColumnValues& taken, const char* szField)
    {
        for (const ColumnValues& column : m_columns)
            if (&column != &taken && column.role == role && column.wholeHeading && column.readable && !Taken(column)) {
                m_roles.notes.push_back(std::string(szField) + " taken from " + taken.heading + ", not " + column.heading);
                return;
            }
    }

    bool FindPrices();
    bool FindSingleValue();
    bool FindBounds(const std::vector<const ColumnValues*>& group, const ColumnValues* high, const ColumnValues* low,
                    std::vector<const ColumnValues*>& highs, std::vector<const ColumnValues*>& lows) const;
    bool FindOpenAndClose(const ColumnValues& high, const ColumnValues& low, std::vector<const ColumnValues*> inner,
                          const ColumnValues* open, const ColumnValues* close);
    bool FindVolume();
    void FindOpenInterest();

    const std::vector<ColumnValues>& m_columns;
    std::vector<const ColumnValues*> m_prices;  // the columns taken as prices
    ColumnRoles m_roles;
};

bool CRoleFinder::FindPrices()
{
    const ColumnValues* open = Named(HeadingRole::kOpen);
    const ColumnValues* high = Named(HeadingRole::kHigh);
    const ColumnValues* low = Named(HeadingRole::kLow);
    const ColumnValues* close = NamedClose();
    // The columns that may hold prices: positive numbers that no heading names as anything but a price.
    std::vector<const ColumnValues*> candidates;
    for (const ColumnValues& column : m_columns) {
        const bool bPriceRole = column.role == HeadingRole::kNone || column.role == HeadingRole::kOpen ||
                                column.role == HeadingRole::kHigh || column.role == HeadingRole::kLow ||
                                column.role == HeadingRole::kClose || column.role == HeadingRole::kAdjustedClose ||
                                column.role == HeadingRole::kSettle;
        const bool bNamedPrice = column.role != HeadingRole::kNone && column.readable && RowsWithAll({&column}) > 0;
        if ((column.numeric || bNamedPrice) && column.positive && bPriceRole)
            candidates.push_back(&column);
    }
    // The group that lies together with the named prices, or the largest such group.
    const ColumnValues* anchor = close ? close : high ? high : low ? low : open;
    if (!anchor) {
        std::size_t best = 0;
        for (const ColumnValues* c : candidates) {
            const auto together = static_cast<std::size_t>(
                std::count_if(candidates.begin(), candidates.end(), [c](const ColumnValues* o) { return LieTogether(*c, *o); }));
            if (together > best) {
                best = together;
                anchor = c;
            }
        }
    }
    std::vector<const ColumnValues*> group;
    if (!anchor)
        return FindSingleValue();
    for (const ColumnValues* c : candidates)
        if (c == anchor || LieTogether(*anchor, *c))
            group.push_back(c);

    if (high && low) {
        std::vector<const ColumnValues*> named = {high, low};
        for (const ColumnValues* c : {open, close})
            if (c)
                named.push_back(c);
        const std::size_t rows = RowsWithAll(named);
        const std::size_t bad = RowsOutside(*high, *low, named);
        if (bad > AllowedBadRows(rows))
            return Refuse("the headings name column " + std::to_string(high->column) + " (" + high->heading +
                              ") the high and column " + std::to_string(low->column) + " (" + low->heading +
                              ") the low, but on " + std::to_string(bad) + " of " + std::to_string(rows) +
                              " rows the high is not the largest of the prices or the low not the smallest",
                          {kOpenField, kHighField, kLowField, kCloseField});
        if (bad > 0)
            m_roles.notes.push_back(std::to_string(bad) + " rows have a high below another price or a low above one");
        Take(kHighField, *high, EvidenceSource::kHeading, "");
        Take(kLowField, *low, EvidenceSource::kHeading, "");
    } else {
        // The high and the low by the values: the columns of the group that are the largest and the
        // smallest on every row.
        std::vector<const ColumnValues*> highs;
        std::vector<const ColumnValues*> lows;
        if (!FindBounds(group, high, low, highs, lows) && group.size() >= 4) {
            // A column beside the prices that is none of them (the close before, an average) may stand outside
            // the high and the low: the group without it is tried, where only one such column settles it.
            int nSettled = 0;
            std::vector<const ColumnValues*> settledHighs;
            std::vector<const ColumnValues*> settledLows;
            for (std::size_t skip = 0; skip < group.size(); ++skip) {
                std::vector<const ColumnValues*> rest = group;
                rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(skip));
                std::vector<const ColumnValues*> h;
                std::vector<const ColumnValues*> l;
                if (FindBounds(rest, high, low, h, l)) {
                    ++nSettled;
                    settledHighs = h;
                    settledLows = l;
                }
            }
            if (nSettled == 1) {
                highs = settledHighs;
                lows = settledLows;
            }
        }
        if (highs.size() == 1 && lows.size() == 1 && highs[0] != lows[0] && Differ(*highs[0], *lows[0])) {
            Take(kHighField, *highs[0], highs[0] == high ? EvidenceSource::kHeading : EvidenceSource::kValues,
                 highs[0] == high ? "" : "High: column " + std::to_string(highs[0]->column) + ", the largest price on every row");
            Take(kLowField, *lows[0], lows[0] == low ? EvidenceSource::kHeading : EvidenceSource::kValues,
                 lows[0] == low ? "" : "Low: column " + std::to_string(lows[0]->column) + ", the smallest price on every row");
            high = highs[0];
            low = lows[0];
        } else if (highs.size() > 1 || lows.size() > 1) {
            const auto& tied = highs.size() > 1 ? highs : lows;
            return Refuse(ColumnList(tied) + " could each be the " + (highs.size() > 1 ? "high" : "low") +
                              ": their values do not tell them apart and their headings name none",
                          {kOpenField, kHighField, kLowField, kCloseField});
        } else {
            high = low = nullptr;
        }
    }

    if (!high || !low) {
        // No high and low: a file of closes, with the column its heading names or the only price.
        if (!close && group.size() == 1 && (group[0]->role == HeadingRole::kNone || group[0]->role == HeadingRole::kClose)) {
            close = group[0];
            Take(kCloseField, *close, EvidenceSource::kValues,
                 "Close: column " + std::to_string(close->column) + ", the only prices");
        } else if (!close && candidates.empty()) {
            return FindSingleValue();
        } else if (close) {
            Take(kCloseField, *close, EvidenceSource::kHeading, "");
        } else {
            return Refuse(ColumnList(group) + " hold prices, but no heading names the close and the values show no "
                                             "high and low among them",
                          {kCloseField});
        }
        if (open || Named(HeadingRole::kHigh) || Named(HeadingRole::kLow))
            m_roles.notes.push_back("the open, high and low that the headings name do not lie around the close; left out");
        m_prices.push_back(close);
        return true;
    }
    std::vector<const ColumnValues*> inner;
    std::vector<const ColumnValues*> outside;
    const std::vector<const ColumnValues*> bounds = {high, low};
    for (const ColumnValues* c : group) {
        if (c == high || c == low)
            continue;
        std::vector<const ColumnValues*> three = {high, low, c};
        const std::size_t bad = RowsOutside(*high, *low, three);
        (bad <= AllowedBadRows(RowsWithAll(three)) ? inner : outside).push_back(c);
    }
    for (const ColumnValues* c : {open, close})
        if (c && RowsWithAll({c}) > 0 && std::find(inner.begin(), inner.end(), c) == inner.end())
            return Refuse("the heading of column " + std::to_string(c->column) + " (" + c->heading + ") names the " +
                              (c == open ? "open" : "close") + ", but its values do not lie between the high and the low",
                          {kOpenField, kCloseField});
    m_prices = {high, low};
    return FindOpenAndClose(*high, *low, inner, open, close);
}

// The columns of a group that are the largest (highs) and the smallest (lows) on every row; true when each is
// one column and they differ.
bool CRoleFinder::FindBounds(const std::vector<const ColumnValues*>& group, const ColumnValues* high, const ColumnValues* low,
                             std::vector<const ColumnValues*>& highs, std::vector<const ColumnValues*>& lows) const
{
    highs.clear();
    lows.clear();
    if (group.size() < 3)
        return false;
    const std::size_t allowed = AllowedBadRows(RowsWithAll(group));
    for (const ColumnValues* c : group) {
        // A column that its heading names as another price is never taken for the high or the low.
        if ((high ? c == high : c->role == HeadingRole::kNone) && BoundViolations(*c, group, true) <= allowed)
            highs.push_back(c);
        if ((low ? c == low : c->role == HeadingRole::kNone) && BoundViolations(*c, group, false) <= allowed)
            lows.push_back(c);
    }
    return highs.size() == 1 && lows.size() == 1 && highs[0] != lows[0] && Differ(*highs[0], *lows[0]);
}

// A file of one value beside the dates (a rate, an index that may fall below zero): that value is the close.
bool CRoleFinder::FindSingleValue()
{
    if (const ColumnValues* close = NamedClose()) {
        Take(kCloseField, *close, EvidenceSource::kHeading, "");
        m_prices.push_back(close);
        return true;
    }
    std::vector<const ColumnValues*> numbers;
    for (const ColumnValues& column : m_columns)
        if (column.numeric && column.role != HeadingRole::kChange && column.role != HeadingRole::kOther &&
            column.role != HeadingRole::kVolume && column.role != HeadingRole::kOpenInterest)
            numbers.push_back(&column);
    if (numbers.size() != 1)
        return Refuse(numbers.empty() ? "no column beside the dates holds prices"
                                      : ColumnList(numbers) + " hold numbers, and no heading names the close",
                      {kCloseField});
    Take(kCloseField, *numbers[0], EvidenceSource::kValues,
         "Close: column " + std::to_string(numbers[0]->column) + ", the only numbers");
    m_prices.push_back(numbers[0]);
    return true;
}

bool CRoleFinder::FindOpenAndClose(const ColumnValues& high, const ColumnValues& low, std::vector<const ColumnValues*> inner,
                                   const ColumnValues* open, const ColumnValues* close)
{
    (void)high;
    (void)low;
    if (open)
        Take(kOpenField, *open, EvidenceSource::kHeading, "");
    if (close) {
        Take(kCloseField, *close, EvidenceSource::kHeading, "");
        if (close->role == HeadingRole::kClose)
            NoteOther(HeadingRole::kAdjustedClose, *close, "close");
    }
    std::vector<const ColumnValues*> unnamed;
    for (const ColumnValues* c : inner)
        if (c != open && c != close && c->role == HeadingRole::kNone)
            unnamed.push_back(c);
    if (open && close) {
        m_prices.insert(m_prices.end(), {open, close});
        return true;
    }
    if (open || close) {
        if (unnamed.size() == 1) {
            const int nField = open ? kCloseField : kOpenField;
            Take(nField, *unnamed[0], EvidenceSource::kValues,
                 std::string(kFieldTitles[nField]) + ": column " + std::to_string(unnamed[0]->column) +
                     ", the other price between the high and the low");
            m_prices.insert(m_prices.end(), {open ? open : unnamed[0], close ? close : unnamed[0]});
            return true;
        }
        if (unnamed.empty() && close) {
            m_prices.push_back(close);
            return true;  // high, low and close
        }
        return Refuse(ColumnList(unnamed) + " could each be the " + (open ? "close" : "open") +
                          ", and their headings name none",
                      {open ? kCloseField : kOpenField});
    }
    // A column that repeats another on every row (an adjusted close equal to the close) adds no choice: the
    // first of them stands for both, and the repeat is left out.
    std::vector<const ColumnValues*> distinct;
    std::vector<std::pair<const ColumnValues*, const ColumnValues*>> repeats;  // (repeat, of)
    for (const ColumnValues* c : unnamed) {
        const auto of = std::find_if(distinct.begin(), distinct.end(), [&](const ColumnValues* d) { return Copies(*d, *c); });
        if (of == distinct.end())
            distinct.push_back(c);
        else
            repeats.emplace_back(c, *of);
    }
    if (distinct.size() == 2 && !repeats.empty() && OpenOfTwo(*distinct[0], *distinct[1]) != 0) {
        for (const auto& [repeat, of] : repeats)
            m_roles.notes.push_back("column " + std::to_string(repeat->column) + " repeats column " +
                                    std::to_string(of->column) + "; left out");
        unnamed = distinct;
    }
    if (unnamed.size() == 2) {
        const int which = OpenOfTwo(*unnamed[0], *unnamed[1]);
        if (which != 0) {
            const ColumnValues& first = which > 0 ? *unnamed[0] : *unnamed[1];
            const ColumnValues& last = which > 0 ? *unnamed[1] : *unnamed[0];
            Take(kOpenField, first, EvidenceSource::kValues,
                 "Open: column " + std::to_string(first.column) + ", which starts where the close before ends");
            Take(kCloseField, last, EvidenceSource::kValues,
                 "Close: column " + std::to_string(last.column) + ", the other price between the high and the low");
            m_prices.insert(m_prices.end(), {&first, &last});
            return true;
        }
        return Refuse("columns " + std::to_string(unnamed[0]->column) + " and " + std::to_string(unnamed[1]->column) +
                          " could each be the open or the close, and their headings name neither",
                      {kOpenField, kCloseField});
    }
    if (unnamed.empty())
        return Refuse("no column between the high and the low can be the close", {kCloseField});
    return Refuse(ColumnList(unnamed) + " lie between the high and the low, and their headings name neither the "
                                        "open nor the close",
                  {kOpenField, kCloseField});
}

bool CRoleFinder::FindVolume()
{
    const auto copiesAPrice = [this](const ColumnValues& column) {
        return std::any_of(m_prices.begin(), m_prices.end(), [&](const ColumnValues* p) { return Copies(column, *p); });
    };
    if (const ColumnValues* named = Named(HeadingRole::kVolume)) {
        if (named->nonNegative && !copiesAPrice(*named)) {
            Take(kVolumeField, *named, EvidenceSource::kHeading, "");
            NoteOther(HeadingRole::kVolume, *named, "volume");
            return true;
        }
        m_roles.notes.push_back("column " + std::to_string(named->column) + " (" + named->heading +
                                ") is named a volume but holds " +
                                (named->nonNegative ? "a copy of a price" : "numbers below zero") + "; left out");
    }
    std::vector<const ColumnValues*> wholes;
    for (const ColumnValues& column : m_columns)
        if (column.numeric && column.whole && column.nonNegative && column.role == HeadingRole::kNone && !Taken(column) &&
            !copiesAPrice(column) &&
            std::none_of(m_prices.begin(), m_prices.end(), [&](const ColumnValues* p) { return LieTogether(column, *p); }))
            wholes.push_back(&column);
    if (wholes.size() > 1) {
        std::vector<const ColumnValues*> varying;
        for (const ColumnValues* c : wholes)
            if (!c->constant)
                varying.push_back(c);
        wholes = varying;
    }
    if (wholes.size() == 1) {
        Take(kVolumeField, *wholes[0], EvidenceSource::kValues,
             "Volume: column " + std::to_string(wholes[0]->column) + ", the only whole numbers");
        return true;
    }
    if (wholes.size() > 1)
        return Refuse(ColumnList(wholes) + " hold whole numbers, and their headings name none the volume",
                      {kVolumeField, kOpenInterestField});
    return true;
}

void CRoleFinder::FindOpenInterest()
{
    const ColumnValues* named = Named(HeadingRole::kOpenInterest);
    if (!named)
        return;
    const bool bVolumeCopy = m_roles.fields[kVolumeField].column != 0 &&
                             Copies(*named, *std::find_if(m_columns.begin(), m_columns.end(), [this](const ColumnValues& c) {
                                 return c.column == m_roles.fields[kVolumeField].column;
                             }));
    if (named->nonNegative && !bVolumeCopy)
        Take(kOpenInterestField, *named, EvidenceSource::kHeading, "");
    else
        m_roles.notes.push_back("column " + std::to_string(named->column) + " (" + named->heading +
                                ") is named the open interest but its values cannot be; left out");
}

}  // namespace

ColumnRoles AssignColumnRoles(const std::vector<ColumnValues>& columns)
{
    return CRoleFinder(columns).Find();
}

}  // namespace engine
