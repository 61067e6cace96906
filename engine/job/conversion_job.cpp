#include "engine/job/conversion_job.h"

#include <algorithm>

#include "engine/job/conversion_settings.h"
#include "engine/text/code_page.h"

namespace engine {

using namespace metastock;

int InputLayout::FieldsOn() const
{
    return static_cast<int>(std::count(fieldOn.begin(), fieldOn.end(), true));
}

ConversionJob MakeConversionJob(const ConversionSettings& settings, int dateFormat, const std::string& inputPath)
{
    ConversionJob job;
    job.inputPath = inputPath;
    job.directory = settings.Path;
    job.symbol = settings.Symbol;
    job.name = settings.Name;
    job.layout.delimiter = DelimiterOf(settings);
    job.layout.dateFormat = dateFormat;
    job.layout.skipRows = settings.SkipOn ? settings.SkipRows : 0;
    job.layout.decimalComma = settings.DecimalComma;
    job.layout.combineIntraday = settings.Daily;
    job.layout.frame = settings.TimeFrame;
    job.layout.timeColumn = settings.TimeCol - 1;
    job.layout.fromDate = settings.FromDate;
    job.layout.toDate = settings.ToDate;
    job.layout.skipBadRows = settings.SkipBadRows;
    for (int i = 0; i < kFieldCount; ++i) {
        job.layout.fieldOn[i] = FieldOn(settings, i);
        job.layout.fieldColumn[i] = FieldColumn(settings, i) - 1;
    }
    job.master = settings.Exist == 0 ? MasterChoice::Existing : MasterChoice::New;
    return job;
}

bool StoredText(const ConversionJob& job, std::string& symbol, std::string& name)
{
    std::string bad;
    const bool bSymbol = Utf8ToWindows1252(job.symbol, symbol, bad);
    const bool bName = Utf8ToWindows1252(job.name, name, bad);
    return bSymbol && bName;
}

}  // namespace engine
