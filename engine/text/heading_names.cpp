#include "engine/text/heading_names.h"

#include <string>
#include <unordered_map>

#include "engine/text/text_folding.h"

namespace engine {

namespace {

struct HeadingName {
    HeadingRole role;
    const char* names;  // separated by '|', as the sources write them; folded before they are compared
};

// English, German, French, Spanish, Italian, Portuguese, Dutch, Polish, Russian, Turkish, Japanese,
// Chinese (simplified and traditional), Korean, Vietnamese, Indonesian, with their usual abbreviations.
constexpr HeadingName kHeadingNames[] = {
    {HeadingRole::kDate,
     "date|dates|day|datetime|timestamp|dtyyyymmdd|tradedate|tradingdate|observationdate|period|"
     "datum|tag|handelstag|jour|fecha|día|data|giorno|datum|дата|tarih|日付|データ日付|日期|交易日期|时间|時間|日期|"
     "날짜|일자|ngày|tanggal|tgl|waktu"},
    {HeadingRole::kTime, "time|hour|zeit|uhrzeit|heure|hora|ora|tijd|czas|время|saat|時刻|时刻|시간|giờ|jam"},
    {HeadingRole::kOpen,
     "open|opening|openprice|openingprice|openfixed|first|eröffnung|eröffnungskurs|erster|erster kurs|anfang|"
     "ouverture|ouv|ouvert|apertura|abertura|abert|aper|opening koers|openingskoers|otwarcie|otw|открытие|откр|"
     "цена открытия|открытия|açılış|acilis|açılış fiyatı|始値|寄付|开盘|开盘价|今开|開盤|開盤價|今開|시가|오픈|"
     "mở|mở cửa|giá mở cửa|giá mở|pembukaan|buka|harga pembukaan"},
    {HeadingRole::kHigh,
     "high|highest|highprice|hi|max|maximum|dayhigh|höchst|hoch|höchstkurs|tageshoch|plus haut|haut|máximo|"
     "máx|maximo|massimo|máxima|hoog|hoogste|najwyższy|najw|максимум|макс|максимальная цена|yüksek|en yüksek|"
     "高値|最高|最高价|最高價|当日最高|當日最高|고가|cao|cao nhất|giá cao nhất|tertinggi|harga tertinggi"},
    {HeadingRole::kLow,
     "low|lowest|lowprice|lo|min|minimum|daylow|tief|tiefst|tiefstkurs|tagestief|plus bas|bas|mínimo|mín|"
     "minimo|mínima|laag|laagste|najniższy|najn|минимум|мин|минимальная цена|düşük|en düşük|安値|最低|最低价|"
     "最低價|当日最低|當日最低|저가|thấp|thấp nhất|giá thấp nhất|terendah|harga terendah"},
    {HeadingRole::kClose,
     "close|closing|closeprice|closingprice|closelast|last|lastprice|price|closefixed|schluss|schlusskurs|"
     "letzter|zuletzt|kurs|dernier|clôture|cierre|último|ultimo|cierre|chiusura|prezzo|fechamento|fech|"
     "preço|slot|slotkoers|koers|zamknięcie|zamkn|закрытие|закр|цена закрытия|закрытия|последняя|цена|"
     "kapanış|kapanis|son|şimdi|fiyat|終値|收盘|收盘价|收盤|收盤價|今收|종가|현재가|đóng cửa|lần cuối|"
     "giá đóng cửa|đóng|penutupan|terakhir|tutup|harga penutupan"},
    {HeadingRole::kAdjustedClose,
     "adjclose|adjustedclose|adjusted|adj|adjustedprice|adjcloseprice|angepasst|bereinigt|schlusskurs bereinigt|"
     "clôture ajustée|cierre ajustado|chiusura rettificata|fechamento ajustado|aangepast|zamknięcie skorygowane|"
     "скорректированное закрытие|düzeltilmiş kapanış|調整後終値|复权收盘价|復權收盤價|수정종가|giá điều chỉnh"},
    {HeadingRole::kSettle, "settle|settlement|settleprice|settlementprice|abrechnung|règlement|ajuste|расчетная цена"},
    {HeadingRole::kVolume,
     "volume|volumes|vol|volumen|tickvol|tickvolume|realvolume|realvol|shares|sharestraded|totalvolume|quantity|"
     "stücke|umsatz stück|volumen stück|volume negoziato|quantidade|wolumen|obrót|объем|объём|об|количество|"
     "hacim|işlem hacmi|出来高|売買高|成交量|当天成交量|当日成交量|總量|成交量手|成交股数|거래량|khối lượng|kl|klgd|"
     "khối lượng giao dịch|jumlah|vol transaksi"},
    {HeadingRole::kOpenInterest,
     "openinterest|openint|oi|open interest|previousdayopeninterest|prevdayopeninterest|offene kontrakte|"
     "positions ouvertes|interés abierto|interesse aperto|contratos em aberto|открытый интерес|açık pozisyon|"
     "建玉|持仓量|持倉量|미결제약정"},
    {HeadingRole::kChange,
     "change|chg|changepercent|change percent|percentchange|pctchange|pct|diff|difference|return|returns|ret|"
     "veränderung|änderung|veränd|var|variation|variación|var%|variazione|variação|verandering|zmiana|"
     "изменение|изм|değişim|fark|前日比|涨跌|涨跌额|涨跌幅|漲跌|漲跌幅|变动|변동|전일비|대비|등락률|"
     "thay đổi|% thay đổi|perubahan|perubahan %"},
    {HeadingRole::kAmount,
     "amount|turnover|value|valuetraded|tradedvalue|turnoverlacs|turnoverrscr|wap|vwap|average|avgprice|"
     "notional|umsatz|montant|importe|controvalore|valor|waarde|wartość|обороты|оборот|стоимость|tutar|"
     "marketcap|marketcapitalization|capitalization|売買代金|成交额|成交金额|当天成交额|当日成交额|成交額|成交金額|均价|거래대금|giá trị|nilai"},
    {HeadingRole::kOther,
     "ticker|symbol|code|name|index|no|sno|number|seq|secid|boardid|shortname|isin|per|period|"
     "dividends|dividend|stocksplits|splits|splitratio|split|trades|numberoftrades|deliverablequantity|"
     "deliverable|spread|count|exchange|currency|market|adjfactor|factor|"
     "symbole|wertpapier|kürzel|nom|nombre|nome|naam|nazwa|тикер|название|код|sembol|"
     "銘柄|代码|股票代码|名称|序号|代碼|名稱|종목|종목코드|종목명|mã|mã ck|tên|kode|nama"},
};

const std::unordered_map<std::string, HeadingRole>& FoldedNames()
{
    static const std::unordered_map<std::string, HeadingRole> names = [] {
        std::unordered_map<std::string, HeadingRole> folded;
        for (const HeadingName& entry : kHeadingNames) {
            std::string_view list = entry.names;
            while (!list.empty()) {
                const std::size_t bar = list.find('|');
                folded.emplace(FoldedText(list.substr(0, bar)), entry.role);
                list = bar == std::string_view::npos ? std::string_view() : list.substr(bar + 1);
            }
        }
        return folded;
    }();
    return names;
}

HeadingRole Lookup(std::string_view text)
{
    const std::string folded = FoldedText(text);
    if (folded.empty())
        return HeadingRole::kNone;
    const auto& names = FoldedNames();
    const auto found = names.find(folded);
    return found == names.end() ? HeadingRole::kNone : found->second;
}

bool IsWordBreak(char c)
{
    return c == ' ' || c == '_' || c == '.' || c == '-' || c == '/' || c == '(' || c == ')' || c == '[' || c == ']' ||
           c == '<' || c == '>' || c == '\t';
}

}  // namespace

HeadingRole FindHeadingRole(std::string_view heading, bool& bWhole)
{
    bWhole = true;
    const HeadingRole whole = Lookup(heading);
    if (whole != HeadingRole::kNone)
        return whole;
    bWhole = false;
    std::size_t first = 0;
    while (first < heading.size() && IsWordBreak(heading[first]))
        ++first;
    std::size_t firstEnd = first;
    while (firstEnd < heading.size() && !IsWordBreak(heading[firstEnd]))
        ++firstEnd;
    std::size_t last = heading.size();
    while (last > 0 && IsWordBreak(heading[last - 1]))
        --last;
    std::size_t lastBegin = last;
    while (lastBegin > 0 && !IsWordBreak(heading[lastBegin - 1]))
        --lastBegin;
    if (firstEnd >= last)
        return HeadingRole::kNone;  // one word, which the whole did not match
    const HeadingRole byFirst = Lookup(heading.substr(first, firstEnd - first));
    const HeadingRole byLast = Lookup(heading.substr(lastBegin, last - lastBegin));
    if (byLast != HeadingRole::kNone && byLast != HeadingRole::kOther)
        return byLast;  // JKSE.Close, N225_High
    return byFirst == HeadingRole::kOther ? HeadingRole::kNone : byFirst;
}

const char* HeadingRoleName(HeadingRole role)
{
    switch (role) {
    case HeadingRole::kDate: return "date";
    case HeadingRole::kTime: return "time";
    case HeadingRole::kOpen: return "open";
    case HeadingRole::kHigh: return "high";
    case HeadingRole::kLow: return "low";
    case HeadingRole::kClose: return "close";
    case HeadingRole::kAdjustedClose: return "adjusted close";
    case HeadingRole::kSettle: return "settlement price";
    case HeadingRole::kVolume: return "volume";
    case HeadingRole::kOpenInterest: return "open interest";
    case HeadingRole::kChange: return "change";
    case HeadingRole::kAmount: return "turnover";
    case HeadingRole::kOther: return "other";
    case HeadingRole::kNone: break;
    }
    return "unknown";
}

}  // namespace engine
