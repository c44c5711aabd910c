#include "InstallationReport.h"

#include "ConfigLink.h"
#include "SensorParams.h"

namespace dut::report {

namespace {

struct Field {
    ReadValue SensorReadings::*member;
    std::uint8_t parameter;
};

// In the order the main window's connect sequence reads them, the version last.
constexpr Field kFields[] = {
    {&SensorReadings::number, param::kSensorNumber},
    {&SensorReadings::address, param::kNetworkAddress},
    {&SensorReadings::full, param::kFullLevel},
    {&SensorReadings::empty, param::kEmptyLevel},
    {&SensorReadings::resolution, param::kOutputResolution},
    {&SensorReadings::interval, param::kOutputInterval},
    {&SensorReadings::version, param::kVersion},
};

bool silent(ExchangeFailure failure) {
    return failure == ExchangeFailure::NoAnswer || failure == ExchangeFailure::PortError;
}

std::string resolutionText(std::int32_t code) {
    if (code == param::kResolution12Bit) return "12 бит (0…4095)";
    if (code == param::kResolution10Bit) return "10 бит (0…1023)";
    return "неизвестный код " + std::to_string(code);
}

std::string intervalText(std::int32_t seconds) {
    // The sensor reports the interval in seconds; none means the periodic output is off.
    if (seconds == 0) return "выключена";
    return std::to_string(seconds) + " сек";
}

template <typename Format>
std::string shown(const ReadValue& read, Format format) {
    return read.value ? format(*read.value) : missingText(read.failure);
}

std::string plain(std::int32_t value) {
    return std::to_string(value);
}

std::string typed(const std::string& text) {
    return text.find_first_not_of(" \t") == std::string::npos ? "не указано" : text;
}

}  // namespace

SensorReadings readSensor(ConfigLink& link) {
    SensorReadings readings;
    std::optional<ExchangeFailure> stopped;
    for (const Field& field : kFields) {
        ReadValue& read = readings.*field.member;
        if (stopped) {
            read.failure = *stopped;
            continue;
        }
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
            return "нет ответа датчика";
        case ExchangeFailure::BadCrcOnly:
        case ExchangeFailure::ShortAnswers:
            return "ответ датчика искажён, значение не прочитано";
        case ExchangeFailure::OnlyStrays:
            return "ответы датчика на другие запросы, значение не прочитано";
        case ExchangeFailure::PortError:
            return "нет связи с датчиком: порт не открыт или отказал";
    }
    return "нет ответа датчика";
}

bool complete(const SensorReadings& r) {
    for (const Field& field : kFields) {
        if (!(r.*field.member).value) return false;
    }
    return true;
}

std::vector<ReportLine> detailLines(const InstallerDetails& d) {
    return {
        {"Установщик", typed(d.installer)},
        {"Организация", typed(d.company)},
        {"Госномер ТС", typed(d.plate)},
        {"Модель ТС", typed(d.model)},
        {"Бак", typed(d.tank)},
    };
}

std::vector<ReportLine> sensorLines(const SensorReadings& r) {
    return {
        {"Номер датчика", shown(r.number, plain)},
        {"Версия", shown(r.version, plain)},
        {"Сетевой адрес", shown(r.address, plain)},
        {"Полный бак", shown(r.full, plain)},
        {"Пустой бак", shown(r.empty, plain)},
        {"Разрешение выхода", shown(r.resolution, resolutionText)},
        {"Интервал выдачи", shown(r.interval, intervalText)},
    };
}

}  // namespace dut::report
