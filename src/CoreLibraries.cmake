# Qt-free core layers, each a library that uses only the layers before it.
add_library(orbiplot_base STATIC
    ${CMAKE_CURRENT_LIST_DIR}/base/AppError.cpp
    ${CMAKE_CURRENT_LIST_DIR}/base/AppSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/base/clsDialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/base/clsINI.cpp
    ${CMAKE_CURRENT_LIST_DIR}/base/FileAccess.cpp
    ${CMAKE_CURRENT_LIST_DIR}/base/modError.cpp
    ${CMAKE_CURRENT_LIST_DIR}/base/SystemClock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/base/NumberFormat.cpp
    ${CMAKE_CURRENT_LIST_DIR}/base/Options.cpp
    ${CMAKE_CURRENT_LIST_DIR}/base/RecentDocuments.cpp
    ${CMAKE_CURRENT_LIST_DIR}/base/SliderRanges.cpp
    ${CMAKE_CURRENT_LIST_DIR}/base/TipOfDay.cpp
    ${CMAKE_CURRENT_LIST_DIR}/base/RandomSource.cpp
    ${CMAKE_CURRENT_LIST_DIR}/base/TextEncoding.cpp)
target_include_directories(orbiplot_base PUBLIC ${CMAKE_CURRENT_LIST_DIR})

add_library(orbiplot_expr STATIC
    ${CMAKE_CURRENT_LIST_DIR}/expr/clsExpressionParser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/expr/CoreContext.cpp
    ${CMAKE_CURRENT_LIST_DIR}/expr/modConst.cpp
    ${CMAKE_CURRENT_LIST_DIR}/expr/BuiltinFunctions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/expr/CurveEvaluator.cpp
    ${CMAKE_CURRENT_LIST_DIR}/expr/Derivative.cpp
    ${CMAKE_CURRENT_LIST_DIR}/expr/PlaneFunction.cpp
    ${CMAKE_CURRENT_LIST_DIR}/expr/SubstituteVariable.cpp)
target_link_libraries(orbiplot_expr PUBLIC orbiplot_base)

add_library(orbiplot_doc STATIC
    ${CMAKE_CURRENT_LIST_DIR}/doc/CurveDefinition.cpp
    ${CMAKE_CURRENT_LIST_DIR}/doc/CurveRecord.cpp
    ${CMAKE_CURRENT_LIST_DIR}/doc/DocumentFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/doc/DocumentModel.cpp)
target_link_libraries(orbiplot_doc PUBLIC orbiplot_expr)

add_library(orbiplot_plot STATIC
    ${CMAKE_CURRENT_LIST_DIR}/plot/Conics.cpp
    ${CMAKE_CURRENT_LIST_DIR}/plot/EquationCurves.cpp
    ${CMAKE_CURRENT_LIST_DIR}/plot/GridAxes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/plot/ImplicitCurves.cpp
    ${CMAKE_CURRENT_LIST_DIR}/plot/PlotEngine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/plot/TextBoxes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/plot/View.cpp)
target_link_libraries(orbiplot_plot PUBLIC orbiplot_doc)

add_library(orbiplot_analysis STATIC
    ${CMAKE_CURRENT_LIST_DIR}/analysis/AreaShading.cpp
    ${CMAKE_CURRENT_LIST_DIR}/analysis/AreaValues.cpp
    ${CMAKE_CURRENT_LIST_DIR}/analysis/Calculus.cpp
    ${CMAKE_CURRENT_LIST_DIR}/analysis/KeyPoints.cpp
    ${CMAKE_CURRENT_LIST_DIR}/analysis/MarkLayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/analysis/RootFinding.cpp)
target_link_libraries(orbiplot_analysis PUBLIC orbiplot_plot)

add_library(orbiplot_calc STATIC
    ${CMAKE_CURRENT_LIST_DIR}/calc/ExpressionCalculator.cpp
    ${CMAKE_CURRENT_LIST_DIR}/calc/LineCalculators.cpp)
target_link_libraries(orbiplot_calc PUBLIC orbiplot_expr)

orbiplot_warnings(orbiplot_base orbiplot_expr orbiplot_doc orbiplot_plot orbiplot_analysis
                  orbiplot_calc)
