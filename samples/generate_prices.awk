# Writes a deterministic daily price series: a header line, then one line per day with
# date (MM/DD/YYYY), open, high, low, close, volume and open interest, comma separated.
#
#   awk -v rows=1500 -v start=2015 -v weekdays=1 -f generate_prices.awk > prices.csv
#
# rows: number of data lines; start: the year whose 1 January begins the series;
# weekdays=1 leaves out Saturdays and Sundays. The same arguments always give the same file.

function random() {  # Park-Miller generator; exact in awk's double arithmetic
    seed = (seed * 16807) % 2147483647
    return seed / 2147483647
}
function days_in_month(year, month) {
    if (month == 2)
        return (year % 4 == 0 && (year % 100 != 0 || year % 400 == 0)) ? 29 : 28
    return (month == 4 || month == 6 || month == 9 || month == 11) ? 30 : 31
}
function day_of_week(year, month, day,    t) {  # 0 = Sunday
    split("0 3 2 5 0 3 5 1 4 6 2 4", t, " ")
    if (month < 3)
        year -= 1
    return (year + int(year / 4) - int(year / 100) + int(year / 400) + t[month] + day) % 7
}
BEGIN {
    if (rows == "") rows = 1500
    if (start == "") start = 2015
    seed = 20261207
    year = start; month = 1; day = 1
    close_price = 100
    open_interest = 50000
    print "Date,Open,High,Low,Close,Volume,OpenInt"
    for (written = 0; written < rows; ) {
        weekday = day_of_week(year, month, day)
        if (!weekdays || (weekday != 0 && weekday != 6)) {
            open_price = close_price * (1 + (random() - 0.5) * 0.01)
            close_price = open_price * (1 + (random() - 0.495) * 0.03)
            high = (open_price > close_price ? open_price : close_price) * (1 + random() * 0.01)
            low = (open_price < close_price ? open_price : close_price) * (1 - random() * 0.01)
            volume = int(200000 + random() * 1800000)
            open_interest = int(open_interest * (1 + (random() - 0.5) * 0.02)) + 1
            printf "%02d/%02d/%04d,%.2f,%.2f,%.2f,%.2f,%d,%d\n", month, day, year, open_price, high, low, close_price, volume, open_interest
            written++
        }
        if (++day > days_in_month(year, month)) {
            day = 1
            if (++month > 12) { month = 1; year++ }
        }
    }
}
