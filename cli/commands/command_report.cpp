#include "cli/commands/command_report.h"

#include <exception>

#include "cli/options/cli_failure.h"

namespace cli::commands {

CommandReport::CommandReport(const options::ReportOptions &options, const std::string &command,
                             report::Json options_json, const std::vector<std::string> &scene_paths,
                             const options::OutputOptions *outputs)
    : output_(files::ReportOutput::plan(options, scene_paths, outputs)) {
  if (options.json()) {
    document_.emplace(command, std::move(options_json));
  } else {
    text_file_ = output_.to_file();
  }
}

int CommandReport::run(const std::function<int()> &body) {
  if (!document_) {
    const int code = body();
    if (text_file_) output_.write(text_.str());
    return code;
  }
  try {
    const int code = body();
    output_.write(document_->text(code));
    return code;
  } catch (const options::CliFailure &failure) {
    document_->add_error(failure, nullptr);
    output_.write(document_->text(failure.code()));
    throw;
  } catch (const std::exception &error) {
    document_->add_error(error, nullptr);
    output_.write(document_->text(options::kExitModuleFailed));
    throw;
  }
}

int CommandReport::scene(const std::string &path, const std::function<int(report::Json *)> &body) {
  if (!document_) return body(nullptr);
  report::Json &entry = document_->add_scene(path);
  try {
    const int code = body(&entry);
    entry["exit_code"] = code;
    return code;
  } catch (const std::exception &error) {
    document_->add_error(error, &entry);
    throw;
  }
}

report::Json common_options_json(const std::vector<std::string> &scene_paths,
                                 const options::ModuleOptions &module, const options::ReportOptions &report) {
  report::Json json;
  json["scenes"] = scene_paths;
  json["module"] = module.module_path.empty() ? report::Json(nullptr) : report::Json(module.module_path);
  json["quiet"] = module.quiet;
  json["report_format"] = report.format;
  json["report"] = report.to_standard_output() ? report::Json(nullptr) : report::Json(report.file);
  return json;
}

void add_time_json(report::Json &json, const options::TimeOptions &time) {
  json["time"] = time.time ? report::Json(*time.time) : report::Json(nullptr);
  json["frame"] = time.frame ? report::Json(*time.frame) : report::Json(nullptr);
}

void add_output_json(report::Json &json, const options::OutputOptions &output) {
  json["output"] = output.output.empty() ? report::Json(nullptr) : report::Json(output.output);
  json["in_place"] = output.in_place;
  json["plot"] = output.plot.empty() ? report::Json(nullptr) : report::Json(output.plot);
}

}  // namespace cli::commands
