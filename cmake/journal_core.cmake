# The day view's core: reading measurement files back, placing their lines in time, the run
# companions, the sun's course over a day and CSV export; the sunlight products (calibration,
# irradiance, clear sky, the day's figures, quality flags, the month). Standard library only.
target_sources(velmorixon_core PRIVATE
  src/record/alarm_watch.cpp
  src/record/calibration.cpp
  src/record/day_sun.cpp
  src/record/day_sunlight.cpp
  src/record/journal_csv.cpp
  src/record/measurement_reader.cpp
  src/record/month_summary.cpp
  src/record/range_statistics.cpp
  src/acquisition/run_companion.cpp
  src/record/run_trace.cpp
  src/record/sunlight_models.cpp
  src/record/time_axis.cpp
  src/record/time_placement.cpp)

if(TARGET core_tests)
  target_sources(core_tests PRIVATE
    tests/record/alarm_watch_test.cpp
    tests/record/calibration_test.cpp
    tests/record/day_sunlight_test.cpp
    tests/record/journal_csv_test.cpp
    tests/record/measurement_reader_test.cpp
    tests/record/month_summary_test.cpp
    tests/record/range_statistics_test.cpp
    tests/acquisition/run_companion_test.cpp
    tests/record/time_placement_test.cpp)
endif()

if(TARGET velmorixon_bench)
  target_sources(velmorixon_bench PRIVATE bench/micro/journal_bench.cpp bench/micro/sunlight_bench.cpp)
endif()
