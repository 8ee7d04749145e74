// The trained model as the database reads it: byte-coded centres, variances
// and log weights with their decoder tables, one code book per stream, one
// mixture per state and stream, 3-state HMMs.
#pragma once

#include <span>
#include <string>

#include "engine/LIB_C_rHMMDataBase/model_writer/hmm_model_writer.h"
#include "tools/train_acoustic_model/acoustic_model.h"

namespace train_acoustic_model {

// The model file's form of the model: its variances and log weights coded by
// quantisers fitted to them, the centres by the model's own centre codes.
// `stream_weights` go into every state (the database replaces them with its
// settings). `error` tells why a model cannot be written (and the result is
// then not to be written).
hmm_model_writer::Model ModelFileContents(const AcousticModel& model, std::span<const float> stream_weights,
                                          std::string* error);

// Writes the model in the machine's byte order, through a new file that then
// takes the old one's place; false with the reason when the model is not
// readable by the database or the file cannot be written.
bool WriteModelFile(const AcousticModel& model, std::span<const float> stream_weights,
                    const std::string& path, std::string* error);

}  // namespace train_acoustic_model
