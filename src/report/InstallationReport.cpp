#include "InstallationReport.h"

#include <iterator>

#include "ConfigLink.h"
#include "SensorParams.h"
#include "Translatable.h"

namespace dut::report {

namespace {

const char* const k12Bit = DUT_TR_NOOP("InstallationReport", "12 бит (0…4095)");
const char* const k10Bit = DUT_TR_NOOP("InstallationReport", "10 бит (0…1023)");
const char* const kUnknownCode = DUT_TR_NOOP("InstallationReport", "неизвестный код ");
const char* const kOff = DUT_TR_NOOP("InstallationReport", "выключена");
const char* const kSeconds = DUT_TR_NOOP("InstallationReport", " сек");
const char* const kNotGiven = DUT_TR_NOOP("InstallationReport", "не указано");
const char* const kNoAnswer = DUT_TR_NOOP("InstallationReport", "нет ответа датчика");
const char* const kGarbled =
    DUT_TR_NOOP("InstallationReport", "ответ датчика искажён, значение не прочитано");
const char* const kStrays =
    DUT_TR_NOOP("InstallationReport", "ответы датчика на другие запросы, значение не прочитано");
const char* const kNoLine =
    DUT_TR_NOOP("InstallationReport", "нет связи с датчиком: порт не открыт или отказал");
const char* const kInstaller = DUT_TR_NOOP("InstallationReport", "Установщик");
const char* const kCompany = DUT_TR_NOOP("InstallationReport", "Организация");
const char* const kPlate = DUT_TR_NOOP("InstallationReport", "Госномер ТС");
const char* const kModel = DUT_TR_NOOP("InstallationReport", "Модель ТС");
const char* const kTank = DUT_TR_NOOP("InstallationReport", "Бак");
const char* const kNumber = DUT_TR_NOOP("InstallationReport", "Номер датчика");
const char* const kVersion = DUT_TR_NOOP("InstallationReport", "Версия");
const char* const kAddress = DUT_TR_NOOP("InstallationReport", "Сетевой адрес");
const char* const kFull = DUT_TR_NOOP("InstallationReport", "Полный бак");
const char* const kEmpty = DUT_TR_NOOP("InstallationReport", "Пустой бак");
const char* const kResolution = DUT_TR_NOOP("InstallationReport", "Разрешение выхода");
const char* const kInterval = DUT_TR_NOOP("InstallationReport", "Интервал выдачи");

struct Field {
    ReadValue SensorReadings::*member;
    std::uint8_t parameter;
    const char* label;
};

// In the order the main window's connect sequence reads them, the version last.
const Field kFields[] = {
    {&SensorReadings::number, param::kSensorNumber, kNumber},
    {&SensorReadings::address, param::kNetworkAddress, kAddress},
    {&SensorReadings::full, param::kFullLevel, kFull},
    {&SensorReadings::empty, param::kEmptyLevel, kEmpty},
    {&SensorReadings::resolution, param::kOutputResolution, kResolution},
    {&SensorReadings::interval, param::kOutputInterval, kInterval},
    {&SensorReadings::version, param::kVersion, kVersion},
};

bool silent(ExchangeFailure failure) {
    return failure == ExchangeFailure::NoAnswer || failure == ExchangeFailure::PortError;
}

std::string resolutionText(std::int32_t code) {
    if (code == param::kResolution12Bit) return k12Bit;
    if (code == param::kResolution10Bit) return k10Bit;
    return kUnknownCode + std::to_string(code);
}

std::string intervalText(std::int32_t seconds) {
    // The sensor reports the interval in seconds; none means the periodic output is off.
    if (seconds == 0) return kOff;
    return std::to_string(seconds) + kSeconds;
}

template <typename Format>
std::string shown(const ReadValue& read, Format format) {
    return read.value ? format(*read.value) : missingText(read.failure);
}

std::string plain(std::int32_t value) {
    return std::to_string(value);
}

std::string typed(const std::string& text) {
    return text.find_first_not_of(" \t") == std::string::npos ? kNotGiven : text;
}

}  // namespace

SensorReadings readSensor(ConfigLink& link, const ReadProgress& progress) {
    SensorReadings readings;
    std::optional<ExchangeFailure> stopped;
    constexpr std::size_t kCount = std::size(kFields);
    for (std::size_t i = 0; i < kCount; ++i) {
        const Field& field = kFields[i];
        ReadValue& read = readings.*field.member;
        if (stopped) {
            read.failure = *stopped;
            continue;
        }
        if (progress) progress(field.label, i, kCount);
        const ExchangeResult result = link.read(field.parameter);
        read.value = result.asOptional();
        read.failure = result.failure();
        if (!result && silent(result.failure())) stopped = result.failure();
    }
    return readings;
}

std::string missingText(ExchangeFailure failure) {
    switch (failure) {
        case ExchangeFailure::None:
        case ExchangeFailure::NoAnswer:
            return kNoAnswer;
        case ExchangeFailure::BadCrcOnly:
        case ExchangeFailure::ShortAnswers:
            return kGarbled;
        case ExchangeFailure::OnlyStrays:
            return kStrays;
        case ExchangeFailure::PortError:
            return kNoLine;
    }
    return kNoAnswer;
}

bool complete(const SensorReadings& r) {
    for (const Field& field : kFields) {
        if (!(r.*field.member).value) return false;
    }
    return true;
}

bool nothingRead(const SensorReadings& r) {
    for (const Field& field : kFields) {
        if ((r.*field.member).value) return false;
    }
    return true;
}

TableFit tableFit(std::int32_t tableSensor, const ReadValue& sensorNumber) {
    if (tableSensor == 0) return TableFit::Fits;
    if (!sensorNumber.value) return TableFit::SensorUnread;
    return *sensorNumber.value == tableSensor ? TableFit::Fits : TableFit::OtherSensor;
}

std::vector<ReportLine> detailLines(const InstallerDetails& d) {
    return {
        {kInstaller, typed(d.installer)}, {kCompany, typed(d.company)}, {kPlate, typed(d.plate)},
        {kModel, typed(d.model)},         {kTank, typed(d.tank)},
    };
}

std::vector<ReportLine> sensorLines(const SensorReadings& r) {
    return {
        {kNumber, shown(r.number, plain)},
        {kVersion, shown(r.version, plain)},
        {kAddress, shown(r.address, plain)},
        {kFull, shown(r.full, plain)},
        {kEmpty, shown(r.empty, plain)},
        {kResolution, shown(r.resolution, resolutionText)},
        {kInterval, shown(r.interval, intervalText)},
    };
}

const std::vector<const char*>& reportTexts() {
    static const std::vector<const char*> texts{
        k12Bit,   k10Bit,   kUnknownCode, kOff,     kSeconds,    kNotGiven, kNoAnswer, kGarbled,
        kStrays,  kNoLine,  kInstaller,   kCompany, kPlate,      kModel,    kTank,     kNumber,
        kVersion, kAddress, kFull,        kEmpty,   kResolution, kInterval};
    return texts;
}

const char* notGivenText() {
    return kNotGiven;
}

}  // namespace dut::report
